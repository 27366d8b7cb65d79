#include "mainwindow/MainWindow.h"

#include <QCoreApplication>

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QCoreApplication::applicationName());
    resize(800, 600);
}

void MainWindow::openFile(const QString& fileName)
{
    Q_UNUSED(fileName);
}

void MainWindow::openLastFile() {}
