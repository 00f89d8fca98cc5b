#pragma once

#include "core/qstring.h"
#include "window/qaccessible.h"
#include "window/qcontrol.h"
#include "window/qgdi_object.h"

// The status line at the bottom of the main window: one line of white text.
class StatusBar : public kiln::qwin::QControl, private kiln::qwin::AccessibleSource {
public:
    StatusBar();

    const wchar_t* GetClassName() const override;
    bool OnCreate() override;
    // The font for the display scale.
    void ApplyDisplayScale();
    HFONT GetFont() const { return font.Get(); }
    bool OnEraseBackground(kiln::qwin::QGraphics& graphics) override;
    bool OnPaint(kiln::qwin::QPaintGraphics& graphics) override;
    // The text as the status bar's name; screen readers hear of each change.
    bool OnGetObject(WPARAM flags, LPARAM objectId, LRESULT* result) override;

    // Shows the message after two blanks, as every status text is shown.
    void SetStatus(const kiln::qstd::QString& message);
    const kiln::qstd::QString& GetStatus() const { return text; }
    // What stays said about the open database, at the right end; messages
    // come and go beside it.
    void SetDatabaseState(const kiln::qstd::QString& state);
    const kiln::qstd::QString& GetDatabaseState() const { return databaseState; }
    // Whether the edits are on the disk ("Saved", "Saving…", "Not saved:
    // <reason>"), shown beside the database's state until it changes.
    void SetSaveState(const kiln::qstd::QString& state);
    const kiln::qstd::QString& GetSaveState() const { return saveState; }

private:
    // The right end: the save state, then the database's.
    kiln::qstd::QString RightText() const;
    kiln::qstd::QString AccessibleName() const override;
    long AccessibleRole() const override;

    kiln::qstd::QString text;
    kiln::qstd::QString databaseState;
    kiln::qstd::QString saveState;
    kiln::qwin::QFont font;
    kiln::qwin::QAccessible accessible{*this};
};
