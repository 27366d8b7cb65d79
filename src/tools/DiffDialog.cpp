#include "tools/DiffDialog.h"
#include "ui_DiffDialog.h"

#include "columns/Meta.h"
#include "columns/MetaManager.h"
#include "editor/Editor.h"
#include "editor/TextBytes.h"
#include "engine/EventPacer.h"
#include "mainwindow/MainWindow.h"
#include "settings/Preferences.h"
#include "tools/SetEngine.h"
#include "widgets/QProgressIndicator.h"

#include <QIcon>
#include <QTimer>
#include <QToolButton>

namespace {

// The delay after showing before the columns are read, so that the window appears first.
constexpr int LoadDelayMs = 30;

struct ButtonIcon
{
    const char* button;
    const char* file;
};

} // namespace

DiffDialog::DiffDialog(MainWindow* parent) : QDialog(parent), m_ui(new Ui::DiffDialog), m_window(parent)
{
    m_ui->setupUi(this);
    setWindowFlags((windowFlags() | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) &
                   ~Qt::WindowContextHelpButtonHint);
    static constexpr ButtonIcon Icons[] = {
        {"tb111", "1elipse_seized.png"}, {"tb112", "1elipse_exclude.png"}, {"tb211", "2inter.png"},
        {"tb212", "2union.png"},         {"tb213", "2set1.png"},           {"tb214", "2set2.png"},
        {"tb311", "3inter.png"},         {"tb312", "3union.png"},          {"tb313", "3inter12.png"},
        {"tb321", "3inter23.png"},       {"tb314", "3inter13.png"},        {"tb322", "3set1.png"},
        {"tb323", "3set2.png"},          {"tb324", "3set3.png"},           {"tb411", "4inter.png"},
        {"tb412", "4union.png"},         {"tb413", "4set1.png"},           {"tb414", "4set2.png"},
        {"tb421", "4set3.png"},          {"tb422", "4set4.png"},           {"tb423", "4inter12_34.png"},
        {"tb431", "4inter34_12.png"},    {"tb432", "4inter13_24.png"},     {"tb433", "4inter23_14.png"},
        {"tb424", "4inter24_13.png"},    {"tb434", "4inter14_23.png"},     {"tb441", "4inter123_4.png"},
        {"tb442", "4inter124_3.png"},    {"tb443", "4inter134_2.png"},     {"tb444", "4inter234_1.png"},
    };
    for (const ButtonIcon& icon : Icons) {
        if (auto* button = findChild<QToolButton*>(QLatin1String(icon.button)))
            button->setIcon(QIcon(QStringLiteral(":/diff/images/") + QLatin1String(icon.file)));
    }
    m_spinner = new QProgressIndicator(this);
}

DiffDialog::~DiffDialog() = default;

int DiffDialog::engineColumns() const
{
    return m_engine ? m_engine->columnCount() : 0;
}

void DiffDialog::showEvent(QShowEvent* event)
{
    for (int i = 0; i < m_ui->toolBox->count(); ++i)
        m_ui->toolBox->setItemEnabled(i, false);
    QTimer::singleShot(LoadDelayMs, this, &DiffDialog::load);
    QDialog::showEvent(event);
}

void DiffDialog::setBusy(bool busy)
{
    m_busy = busy;
    m_ui->toolBox->setEnabled(!busy);
    if (busy) {
        m_spinner->start();
        return;
    }
    m_spinner->stopNow();
    // A reload asked for meanwhile runs now, on sets nobody is using any more.
    if (m_reloadPending) {
        m_reloadPending = false;
        QTimer::singleShot(0, this, &DiffDialog::load);
    }
}

void DiffDialog::load()
{
    if (!isVisible() || !m_window)
        return;
    if (m_busy) {
        m_reloadPending = true;
        return;
    }
    setBusy(true);
    QPointer<DiffDialog> alive(this);
    const auto stop = [this, alive] { return !alive || !isVisible() || !m_window; };
    const QList<QPointer<Meta>> metas = [this] {
        QList<QPointer<Meta>> guarded;
        for (Meta* meta : m_window->metaManager()->metas())
            guarded.append(meta);
        return guarded;
    }();
    QVector<QByteArray> columns;
    EventPacer pacer(stop);
    bool stopped = false;
    for (const QPointer<Meta>& meta : metas) {
        if (pacer.pollStop()) {
            stopped = true;
            break;
        }
        // A column removed meanwhile is not read; the count change brings another load.
        if (meta && meta->isChecked() && !meta->isEmpty())
            columns.append(utf8FromEditorBytes(meta->editor()->getText(), meta->editor()->isUnicode()));
    }
    if (!alive)
        return;
    const int k = columns.size();
    // Only the sets for the columns that are used: the first four.
    auto engine = std::make_unique<SetEngine>();
    if (!stopped && k > 0)
        stopped = !engine->build(columns.mid(0, SetEngine::MaxColumns), stop);
    if (!alive)
        return;
    // The old sets go only here, when no computation uses them.
    m_engine = stopped ? nullptr : std::move(engine);
    for (int i = 0; i < m_ui->toolBox->count(); ++i)
        m_ui->toolBox->setItemEnabled(i, !stopped && i + 1 == k);
    if (!stopped && k >= 1 && k <= SetEngine::MaxColumns)
        m_ui->toolBox->setCurrentIndex(k - 1);
    m_loadedCount = stopped || !m_window ? -1 : m_window->metaManager()->count();
    setBusy(false);
}

void DiffDialog::columnsChanged()
{
    if (isVisible() && m_window && m_window->metaManager()->count() != m_loadedCount)
        load();
}

void DiffDialog::run(int page, Region region)
{
    if (m_busy || !m_window || !m_engine || m_engine->columnCount() != page || !m_ui->toolBox->isItemEnabled(page - 1))
        return;
    setBusy(true);
    QPointer<DiffDialog> alive(this);
    SetEngine::Lines lines;
    switch (region.kind) {
    case Region::Union:
        lines = m_engine->lineUnion();
        break;
    case Region::Repeated:
        lines = m_engine->repeated();
        break;
    case Region::Intersection:
        lines = m_engine->intersection();
        break;
    case Region::Only:
        lines = m_engine->region(region.mask);
        break;
    }
    // The one-column page ends its lines as the preferences say, the others with line feeds.
    const QByteArray lineBreak = page == 1 ? Preferences::instance()->eolString().toLatin1() : QByteArray("\n");
    const SetEngine* engine = m_engine.get();
    m_window->fillResult([&](ByteSink& sink, bool unicode) { engine->write(lines, sink, lineBreak, unicode); });
    if (alive)
        setBusy(false);
}

// One slot per picture button, named after it; the region is that of its picture.

void DiffDialog::on_tb111_clicked()
{
    run(1, Region{Region::Union});
}

void DiffDialog::on_tb112_clicked()
{
    run(1, Region{Region::Repeated});
}

void DiffDialog::on_tb211_clicked()
{
    run(2, Region{Region::Intersection});
}

void DiffDialog::on_tb212_clicked()
{
    run(2, Region{Region::Union});
}

void DiffDialog::on_tb213_clicked()
{
    run(2, Region::only(0b0001));
}

void DiffDialog::on_tb214_clicked()
{
    run(2, Region::only(0b0010));
}

void DiffDialog::on_tb311_clicked()
{
    run(3, Region{Region::Intersection});
}

void DiffDialog::on_tb312_clicked()
{
    run(3, Region{Region::Union});
}

void DiffDialog::on_tb313_clicked()
{
    run(3, Region::only(0b0011));
}

void DiffDialog::on_tb321_clicked()
{
    run(3, Region::only(0b0110));
}

void DiffDialog::on_tb314_clicked()
{
    run(3, Region::only(0b0101));
}

void DiffDialog::on_tb322_clicked()
{
    run(3, Region::only(0b0001));
}

void DiffDialog::on_tb323_clicked()
{
    run(3, Region::only(0b0010));
}

void DiffDialog::on_tb324_clicked()
{
    run(3, Region::only(0b0100));
}

void DiffDialog::on_tb411_clicked()
{
    run(4, Region{Region::Intersection});
}

void DiffDialog::on_tb412_clicked()
{
    run(4, Region{Region::Union});
}

void DiffDialog::on_tb413_clicked()
{
    run(4, Region::only(0b0001));
}

void DiffDialog::on_tb414_clicked()
{
    run(4, Region::only(0b0010));
}

void DiffDialog::on_tb421_clicked()
{
    run(4, Region::only(0b0100));
}

void DiffDialog::on_tb422_clicked()
{
    run(4, Region::only(0b1000));
}

void DiffDialog::on_tb423_clicked()
{
    run(4, Region::only(0b0011));
}

void DiffDialog::on_tb431_clicked()
{
    run(4, Region::only(0b1100));
}

void DiffDialog::on_tb432_clicked()
{
    run(4, Region::only(0b0101));
}

void DiffDialog::on_tb433_clicked()
{
    run(4, Region::only(0b0110));
}

void DiffDialog::on_tb424_clicked()
{
    run(4, Region::only(0b1010));
}

void DiffDialog::on_tb434_clicked()
{
    run(4, Region::only(0b1001));
}

void DiffDialog::on_tb441_clicked()
{
    run(4, Region::only(0b0111));
}

void DiffDialog::on_tb442_clicked()
{
    run(4, Region::only(0b1011));
}

void DiffDialog::on_tb443_clicked()
{
    run(4, Region::only(0b1101));
}

void DiffDialog::on_tb444_clicked()
{
    run(4, Region::only(0b1110));
}
