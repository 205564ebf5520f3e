#include "app/WindowLayout.h"

#include "app/CommandMapBuilder.h"
#include "app/StatusPanels.h"
#include "app/TagButtonRow.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QMimeData>
#include <QScreen>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

WindowLayout buildWindowLayout(QMainWindow* window, CommandRegistry& commands)
{
    auto* central = new QWidget(window);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* topPanel = new QFrame(central);
    topPanel->setObjectName(QStringLiteral("Panel1"));
    topPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* topLayout = new QVBoxLayout(topPanel);
    topLayout->setContentsMargins(1, 1, 1, 1);
    topLayout->setSpacing(0);

    auto* iconPanel = new QFrame(topPanel);
    iconPanel->setObjectName(QStringLiteral("pnlIkon"));
    iconPanel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    iconPanel->setFixedHeight(36);
    buildToolBar(iconPanel, commands);
    topLayout->addWidget(iconPanel);
    topLayout->addWidget(new TagButtonRow(commands, topPanel));
    layout->addWidget(topPanel);

    auto* pages = new QTabWidget(central);
    pages->setObjectName(QStringLiteral("PC"));
    pages->setDocumentMode(true);
    pages->setUsesScrollButtons(true);
    QFont tabFont = pages->font();
    tabFont.setPixelSize(13);
    tabFont.setBold(false);
    pages->setFont(tabFont);
    layout->addWidget(pages, 1);

    auto* bottomPanel = new QFrame(central);
    bottomPanel->setObjectName(QStringLiteral("Panel2"));
    bottomPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* bottomLayout = new QHBoxLayout(bottomPanel);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    auto* statusBar = new StatusPanels(bottomPanel);
    bottomLayout->addWidget(statusBar);
    layout->addWidget(bottomPanel);

    window->setCentralWidget(central);
    return {topPanel, pages, statusBar};
}

void centreOnDesktop(QWidget* window)
{
    const QRect desktop = window->screen() ? window->screen()->virtualGeometry() : QRect();
    window->move(desktop.x() + qMax(0, (desktop.width() - window->frameGeometry().width()) / 2),
                 desktop.y() + qMax(0, (desktop.height() - window->frameGeometry().height()) / 2));
}

QStringList droppedFiles(const QMimeData* data)
{
    QStringList paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}
