#include "store/card_write_log.h"

#include <cstring>

namespace {

const char kCardTable[] = "tab";

}  // namespace

void CardWriteLog::Watch(sqlite3* connection) {
    sqlite3_set_authorizer(connection, &CardWriteLog::onAuthorize, this);
    sqlite3_update_hook(connection, &CardWriteLog::onUpdate, this);
    sqlite3_commit_hook(connection, &CardWriteLog::onCommit, this);
    sqlite3_rollback_hook(connection, &CardWriteLog::onRollback, this);
}

void CardWriteLog::Unwatch(sqlite3* connection) {
    sqlite3_set_authorizer(connection, nullptr, nullptr);
    sqlite3_update_hook(connection, nullptr, nullptr);
    sqlite3_commit_hook(connection, nullptr, nullptr);
    sqlite3_rollback_hook(connection, nullptr, nullptr);
}

uint32_t CardWriteLog::Commits() {
    std::lock_guard<std::mutex> lock(mutex);
    return commits;
}

bool CardWriteLog::TakeIfCommitsAre(uint32_t expected, Taken& taken) {
    std::lock_guard<std::mutex> lock(mutex);
    taken.commits = commits;
    taken.cards.clear();
    if (commits != expected) return false;
    taken.cards.swap(committed);
    return true;
}

uint32_t CardWriteLog::Restart() {
    std::lock_guard<std::mutex> lock(mutex);
    committed.clear();
    return commits;
}

// Emptying the whole table is done by the engine without visiting a row, and
// so without telling the update hook; ignoring the delete's authorization is
// the engine's documented way to have it delete row by row instead.
int CardWriteLog::onAuthorize(void*, int action, const char* table, const char*, const char*, const char*) {
    if (action == SQLITE_DELETE && table && std::strcmp(table, kCardTable) == 0) return SQLITE_IGNORE;
    return SQLITE_OK;
}

void CardWriteLog::onUpdate(void* log, int, const char*, const char* table, sqlite3_int64 row) {
    auto* self = static_cast<CardWriteLog*>(log);
    std::lock_guard<std::mutex> lock(self->mutex);
    self->commitCounted = false;
    self->wrote = true;
    if (table && std::strcmp(table, kCardTable) == 0) self->pending.push_back(row);
}

// A transaction that wrote nothing leaves the change counter where it was,
// so only those that wrote are counted.
int CardWriteLog::onCommit(void* log) {
    auto* self = static_cast<CardWriteLog*>(log);
    std::lock_guard<std::mutex> lock(self->mutex);
    if (self->wrote) {
        ++self->commits;
        self->commitCounted = true;
    }
    self->wrote = false;
    self->committed.insert(self->committed.end(), self->pending.begin(), self->pending.end());
    self->pending.clear();
    return 0;
}

// The cards of a rolled back transaction stay listed: reading them again
// finds them as they were, which costs a little and is never wrong.
void CardWriteLog::onRollback(void* log) {
    auto* self = static_cast<CardWriteLog*>(log);
    std::lock_guard<std::mutex> lock(self->mutex);
    if (self->commitCounted) --self->commits;
    self->commitCounted = false;
    self->wrote = false;
    self->committed.insert(self->committed.end(), self->pending.begin(), self->pending.end());
    self->pending.clear();
}
