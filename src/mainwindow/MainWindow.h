#pragma once
// The application window. For now a plain window; the working window with columns, template and
// result replaces it.

#include <QMainWindow>

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    // Opens a template file; does nothing while template files are not supported.
    void openFile(const QString& fileName);
    // Reopens the most recent template file when the preferences ask for it.
    void openLastFile();
};
