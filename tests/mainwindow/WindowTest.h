#pragma once
// The fixture of the window tests: a fresh, shown main window for every test function, and the
// look-ups the tests share.

#include "editor/Editor.h"
#include "mainwindow/MainWindow.h"

#include <QAction>
#include <QStatusBar>
#include <QtTest>

class WindowTest : public QObject
{
protected:
    // Called from each test's init() and cleanup().
    void openWindow()
    {
        m_window = new MainWindow;
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    void closeWindow()
    {
        delete m_window;
        m_window = nullptr;
    }

    QAction* action(const char* name) const { return m_window->findChild<QAction*>(QLatin1String(name)); }
    Editor* editor(const char* name) const { return m_window->findChild<Editor*>(QLatin1String(name)); }
    QString status() const { return m_window->statusBar()->currentMessage(); }

    MainWindow* m_window = nullptr;
};
