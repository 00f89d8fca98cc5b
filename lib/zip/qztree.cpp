#include "zip/qztree.h"

#include <utility>

#include "core/qpathstr.h"

namespace kiln {
namespace qzip {

using qstd::QObArray;
using qstd::QString;

namespace {

// Below this many children a linear scan is as quick as hashing.
const unsigned IndexThreshold = 8;

// FNV-1a over the code units up to the terminator, which is where string
// comparison stops as well.
unsigned HashName(const QString& name) {
    unsigned hash = 2166136261u;
    for (const wchar_t* c = name.c_str(); *c; ++c) {
        hash = (hash ^ static_cast<unsigned>(*c)) * 16777619u;
    }
    return hash;
}

}  // namespace

QZTree::Node::Node(const QString& name, const QZFileItem& item, Node* parent)
    : name(name), item(item), parent(parent) {}

QZTree::Node::~Node() {
    DestroySubtree();
}

// A hostile archive can nest tens of thousands of folders; deleting the
// subtree recursively would overflow the stack. This walks down to a leaf,
// deletes it, and climbs back through the parent links, using no memory.
void QZTree::Node::DestroySubtree() {
    Node* node = this;
    for (;;) {
        const unsigned count = node->children.GetCount();
        if (count > 0) {
            Node* last = node->children[count - 1];
            // The plain array's removal forgets the pointer without deleting.
            node->children.qstd::QArray<void*>::RemoveAt(count - 1, 1);
            node = last;
        } else if (node == this) {
            break;
        } else {
            Node* up = node->parent;
            delete node;
            node = up;
        }
    }
}

QZTree::Node* QZTree::Node::FindChild(const QString& component) const {
    const unsigned count = children.GetCount();
    if (index.IsEmpty()) {
        for (unsigned i = 0; i < count; ++i) {
            if (children[i]->name == component) {
                return children[i];
            }
        }
        return nullptr;
    }
    const unsigned mask = index.GetCount() - 1;
    for (unsigned slot = HashName(component) & mask;; slot = (slot + 1) & mask) {
        const unsigned entry = index[slot];
        if (entry == 0) {
            return nullptr;
        }
        if (children[entry - 1]->name == component) {
            return children[entry - 1];
        }
    }
}

QZTree::Node* QZTree::Node::AddChild(const QString& component, const QZFileItem& childItem) {
    children.Add(new Node(component, childItem, this));
    const unsigned count = children.GetCount();
    // The table stays at most half full, so every probe ends at a free slot.
    if (count >= IndexThreshold && count * 2 > index.GetCount()) {
        RebuildIndex(index.IsEmpty() ? 2 * IndexThreshold : 2 * index.GetCount());
    } else if (!index.IsEmpty()) {
        IndexChild(count - 1);
    }
    return children[count - 1];
}

void QZTree::Node::RebuildIndex(unsigned slotCount) {
    qstd::QArray<unsigned> fresh;
    fresh.SetCapacity(slotCount);
    for (unsigned i = 0; i < slotCount; ++i) {
        fresh.Add(0);
    }
    index = std::move(fresh);
    for (unsigned i = 0; i < children.GetCount(); ++i) {
        IndexChild(i);
    }
}

void QZTree::Node::IndexChild(unsigned position) {
    const unsigned mask = index.GetCount() - 1;
    unsigned slot = HashName(children[position]->name) & mask;
    while (index[slot] != 0) {
        slot = (slot + 1) & mask;
    }
    index[slot] = position + 1;
}

QZTree::QZTree() = default;
QZTree::~QZTree() = default;

void QZTree::Add(const QZFileItem& item) {
    QObArray<QString> components;
    files::QPathStr(item.name).Split(components, Separator);
    const unsigned count = components.GetCount();
    if (count == 0) {
        return;
    }
    if (!root) {
        root.reset(new Node(L"#", QZFileItem(), nullptr));
    }
    Node* node = root.get();
    for (unsigned i = 0; i < count; ++i) {
        const QString& component = *components[i];
        Node* child = node->FindChild(component);
        if (!child) {
            if (i + 1 == count) {
                child = node->AddChild(component, item);
            } else {
                QZFileItem folder;
                folder.name = component;
                folder.attributes = QZFileItem::AttrDirectory;
                folder.modificationTime = item.modificationTime;
                child = node->AddChild(component, folder);
            }
        }
        node = child;
    }
}

bool QZTree::Find(const QString& path, QZFileItem& item) const {
    if (!root) {
        return false;
    }
    QObArray<QString> components;
    files::QPathStr(path).Split(components, Separator);
    const Node* node = root.get();
    for (unsigned i = 0; i < components.GetCount() && node; ++i) {
        node = node->FindChild(*components[i]);
    }
    if (!node) {
        return false;
    }
    item = node->item;
    return true;
}

}  // namespace qzip
}  // namespace kiln
