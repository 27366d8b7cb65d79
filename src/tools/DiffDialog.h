#pragma once
// The Set window: the lines of the ticked, non-empty columns taken as sets, and one picture button
// for every region of their Venn diagram, whose lines replace the main window's result.

#include <QDialog>
#include <QPointer>
#include <QScopedPointer>

#include <memory>

class MainWindow;
class QProgressIndicator;
class SetEngine;

namespace Ui {
class DiffDialog;
}

class DiffDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DiffDialog(MainWindow* parent);
    ~DiffDialog() override;

    // True while columns are read, sets built or a result handed over; the tool box is disabled.
    bool isBusy() const { return m_busy; }
    // Column count of the sets in use (0 without any).
    int engineColumns() const;

public slots:
    // Reads the columns anew and builds their sets; while busy, runs again once the work ends.
    void load();
    // Follows the column manager: a change in the number of columns reloads a visible dialog.
    void columnsChanged();

    void on_tb111_clicked();
    void on_tb112_clicked();
    void on_tb211_clicked();
    void on_tb212_clicked();
    void on_tb213_clicked();
    void on_tb214_clicked();
    void on_tb311_clicked();
    void on_tb312_clicked();
    void on_tb313_clicked();
    void on_tb321_clicked();
    void on_tb314_clicked();
    void on_tb322_clicked();
    void on_tb323_clicked();
    void on_tb324_clicked();
    void on_tb411_clicked();
    void on_tb412_clicked();
    void on_tb413_clicked();
    void on_tb414_clicked();
    void on_tb421_clicked();
    void on_tb422_clicked();
    void on_tb423_clicked();
    void on_tb431_clicked();
    void on_tb432_clicked();
    void on_tb433_clicked();
    void on_tb424_clicked();
    void on_tb434_clicked();
    void on_tb441_clicked();
    void on_tb442_clicked();
    void on_tb443_clicked();
    void on_tb444_clicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // A region: every distinct line, the repeated lines of one column, the common lines, or the
    // lines found in exactly the columns of a mask (bit 0 for column 1).
    struct Region
    {
        enum Kind { Union, Repeated, Intersection, Only };
        Kind kind;
        unsigned mask = 0;
        static Region only(unsigned mask) { return {Only, mask}; }
    };

    void run(int page, Region region);
    void setBusy(bool busy);

    QScopedPointer<Ui::DiffDialog> m_ui;
    QPointer<MainWindow> m_window;
    QProgressIndicator* m_spinner;
    std::unique_ptr<SetEngine> m_engine;
    int m_loadedCount = -1;
    bool m_busy = false;
    bool m_reloadPending = false;
};
