#include "TestSupport.h"

#include "mainwindow/AboutDialog.h"
#include "mainwindow/PreferencesDialog.h"
#include "settings/Preferences.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSpinBox>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

#include <functional>

namespace {

QVariant stored(const QString& key)
{
    return QSettings().value(key);
}

using ControlChange = std::function<void(QWidget*)>;

QVariantMap settingsSnapshot()
{
    QSettings settings;
    QVariantMap all;
    for (const QString& key : settings.allKeys())
        all.insert(key, settings.value(key));
    return all;
}

void dropColor(QWidget* target, const QColor& color)
{
    QMimeData data;
    data.setColorData(color);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent dropped(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QApplication::sendEvent(target, &dropped);
}

QStringList g_warnings;
void collectWarnings(QtMsgType, const QMessageLogContext&, const QString& message)
{
    g_warnings << message;
}

} // namespace

Q_DECLARE_METATYPE(ControlChange)

class TestPreferencesDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestSupport::useTemporaryConfigHome();
        QCoreApplication::setOrganizationDomain(QStringLiteral("Vardel"));
        QCoreApplication::setApplicationName(QStringLiteral("Lineweld"));
        QCoreApplication::setApplicationVersion(QStringLiteral("3.0.0"));
    }
    void cleanupTestCase() { Preferences::destroy(); }

    void constructionWritesNothing()
    {
        // Away from the form defaults, so that loading fires the controls' slots.
        Preferences& p = *Preferences::instance();
        p.setGuiSaveBeforeExit(false);
        p.setGuiToolbarIconSize(32);
        p.setColumnsSuffix(QStringLiteral("}"));
        p.setEditorTabWidth(9);
        p.setEditorEolFormat(EolMac);
        const QVariantMap before = settingsSnapshot();
        g_warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
        delete new PreferencesDialog;
        qInstallMessageHandler(previous);
        // A slot named after no control is only warned about, and that control would store nothing.
        QVERIFY2(g_warnings.filter(QStringLiteral("connectSlotsByName")).isEmpty(), qPrintable(g_warnings.join('\n')));
        QCOMPARE(settingsSnapshot(), before);
    }

    // Each expected value differs from both the default and what the rows before may have left.
    void eachKindOfControlWritesAtOnce_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("key");
        QTest::addColumn<ControlChange>("change");
        QTest::addColumn<QVariant>("expected");
        const ControlChange click = [](QWidget* w) { static_cast<QAbstractButton*>(w)->click(); };
        const ControlChange type7 = [](QWidget* s) {
            static_cast<QSpinBox*>(s)->selectAll();
            QTest::keyClick(s, Qt::Key_7);
        };
        const ControlChange pickBracket = [](QWidget* w) { static_cast<QComboBox*>(w)->setCurrentIndex(6); }; // "]"
        const ControlChange dropBlue = [](QWidget* w) { dropColor(w, QColor(12, 34, 56)); };
        const ControlChange defaultFont = [](QWidget* w) {
            for (QAction* action : static_cast<QToolButton*>(w)->menu()->actions())
                if (action->text() == QStringLiteral("Default font"))
                    action->trigger();
        };
        const auto row = [](const char* control, const char* key, const ControlChange& change, const QVariant& value) {
            QTest::addRow("%s", control) << QString::fromLatin1(control) << QString::fromLatin1(key) << change << value;
        };
        row("ckbNoDrag", "Columns/NoDrag", click, true);
        row("rbSmall", "Gui/ToolbarIconSize", click, 16);
        row("sbTabWidth", "Editor/TabWidth", type7, 7);
        row("cmbSuffix", "Columns/Suffix", pickBracket, QStringLiteral("]"));
        row("btnFontColor", "Editor/FontColor", dropBlue, QStringLiteral("#0c2238"));
        row("btnFontName", "Editor/Font", defaultFont, QFont());
    }
    void eachKindOfControlWritesAtOnce()
    {
        QFETCH(QString, control);
        QFETCH(QString, key);
        QFETCH(ControlChange, change);
        QFETCH(QVariant, expected);
        Preferences::instance()->setEditorFont(QFont(QStringLiteral("Monospace"), 19));
        PreferencesDialog dialog;
        QWidget* widget = dialog.findChild<QWidget*>(control);
        QVERIFY(widget);
        QVERIFY2(stored(key) != expected, "the row's value must differ from the held one");
        change(widget);
        QCOMPARE(stored(key), expected);
    }

    void prefixFollowsEveryKeystroke()
    {
        const QVariant suffix = stored(QStringLiteral("Columns/Suffix"));
        PreferencesDialog dialog;
        QLineEdit* edit = dialog.findChild<QComboBox*>(QStringLiteral("cmbPrefix"))->lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(stored(QStringLiteral("Columns/Prefix")).toString(), QString());
        const QString typed = QStringLiteral("<%a");
        for (int i = 0; i < typed.size(); ++i) {
            QTest::keyClick(edit, typed.at(i).toLatin1());
            QCOMPARE(stored(QStringLiteral("Columns/Prefix")).toString(), typed.left(i + 1));
            QCOMPARE(stored(QStringLiteral("Columns/Suffix")), suffix);
        }
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(stored(QStringLiteral("Columns/Prefix")).toString(), QStringLiteral("<%"));
    }

    void aboutShowsEscapedNameAndVersion()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Line<b>weld</b> & Co"));
        QCoreApplication::setApplicationVersion(QStringLiteral("3.0.0 <i>beta</i> &amp;"));
        AboutDialog about;
        QCoreApplication::setApplicationName(QStringLiteral("Lineweld"));
        QCoreApplication::setApplicationVersion(QStringLiteral("3.0.0"));
        const QString text = about.findChild<QTextBrowser*>(QStringLiteral("textBrowser"))->toPlainText();
        QVERIFY2(text.contains(QStringLiteral("Line<b>weld</b> & Co")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Version 3.0.0 <i>beta</i> &amp;")), qPrintable(text));
    }
};

QTEST_MAIN(TestPreferencesDialog)
#include "tst_preferencesdialog.moc"
