// The live preview on columns of a million lines: a real main window offscreen with two such
// columns and the preview shown; each template keystroke is followed by a preview update, timed
// from the pending events being done to the preview holding the new text. The target is 5 ms an update.

#include "TestSupport.h"
#include "columns/Meta.h"
#include "columns/MetaManager.h"
#include "editor/Editor.h"
#include "mainwindow/MainWindow.h"
#include "settings/Preferences.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Records = 1000000;
constexpr int Keystrokes = 200;

QString column(const QString& prefix)
{
    QString text;
    text.reserve(Records * (prefix.size() + 8));
    for (int i = 0; i < Records; ++i) {
        if (i > 0)
            text += QLatin1Char('\n');
        text += prefix + QString::number(i);
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TestSupport::useTemporaryConfigHome();
    QApplication app(argc, argv);
    Preferences::instance();
    int status = 0;
    {
        MainWindow window;
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return 1;
        MetaManager* manager = window.metaManager();
        manager->setMeta(0, column(QStringLiteral("O'Brien")), QStringLiteral("#1#"));
        manager->setMeta(1, column(QString()), QStringLiteral("#2#"));
        // One formatted column, so the wrappers are part of what is timed.
        manager->metaAt(0)->findChild<QComboBox*>(QStringLiteral("cbbEscape"))->setCurrentIndex(1);
        auto* tpl = window.findChild<Editor*>(QStringLiteral("tpl"));
        auto* preview = window.findChild<QPlainTextEdit*>(QStringLiteral("preview"));
        window.findChild<QAction*>(QStringLiteral("actionShowPreview"))->trigger();
        tpl->setText(QByteArrayLiteral("INSERT INTO t VALUES ('#1#', #2#);"));
        QCoreApplication::processEvents();

        std::vector<double> updates;
        for (int k = 0; k < Keystrokes; ++k) {
            QTest::keyClick(tpl, Qt::Key_End, Qt::ControlModifier);
            QTest::keyClick(tpl, k % 2 ? Qt::Key_Backspace : Qt::Key_X, Qt::NoModifier);
            // The keystroke's own repaint is not the preview's cost.
            QCoreApplication::processEvents();
            QElapsedTimer timer;
            timer.start();
            window.updatePreview();
            updates.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::sort(updates.begin(), updates.end());
        const QStringList lines = preview->toPlainText().split(QLatin1Char('\n'));
        std::printf("preview of %d lines over two columns of %d lines, %d updates\n", int(lines.size()), Records,
                    Keystrokes);
        std::printf("  median %.3f ms, 95th percentile %.3f ms, worst %.3f ms (target 5 ms)\n",
                    updates[updates.size() / 2], updates[updates.size() * 95 / 100], updates.back());
        std::printf("  first line: %s\n", qPrintable(lines.first()));
        if (lines.size() != 20 || !lines.first().startsWith(QStringLiteral("INSERT INTO t VALUES ('O''Brien0', 0);")))
            status = 1;
    }
    Preferences::destroy();
    return status;
}
