#pragma once
// What a column editor tells about its caret moves, so that the row of columns can move the other
// columns' carets along with it.

class QWidget;

class CaretSyncTarget
{
public:
    virtual ~CaretSyncTarget() = default;
    // source is the widget that holds the moving editor; the rest is that editor's view and caret.
    virtual void syncCaret(QWidget* source, int firstVisibleLine, int line, int column) = 0;
};
