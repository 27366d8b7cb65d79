#include "mainwindow/AboutDialog.h"
#include "ui_AboutDialog.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QPushButton>

namespace {

const char WebSite[] = "https://lineweld.example.org/";

} // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent), m_ui(new Ui::AboutDialog)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    // The box may grow taller for a longer notice, but never wider than the picture and its margins;
    // the smallest width follows so that the two bounds never contradict each other.
    setMaximumSize(432, 460);
    setMinimumWidth(qMin(minimumWidth(), maximumWidth()));

    m_ui->logo->setPixmap(QPixmap(QStringLiteral(":/window/images/logo2.png")));

    const QString site = QString::fromLatin1(WebSite);
    // Name and version are escaped: they are data, not markup.
    m_ui->textBrowser->setHtml(tr("<p align=\"center\"><b><font size=\"+2\">%1</font></b><br/><i>Version %2</i></p>"
                                  "<p align=\"center\">Copyright (C) the %1 developers. All rights reserved.</p>"
                                  "<p align=\"center\"><a href=\"%3\">%3</a></p>")
                                   .arg(QGuiApplication::applicationDisplayName().toHtmlEscaped(),
                                        QCoreApplication::applicationVersion().toHtmlEscaped(), site.toHtmlEscaped()));

    connect(m_ui->pushButton, &QPushButton::clicked, this, &QDialog::close);
}

AboutDialog::~AboutDialog() = default;
