#include "app/TagButtonRow.h"

#include "app/CommandMap.h"
#include "desktop/CommandRegistry.h"

#include <QPushButton>

TagButtonRow::TagButtonRow(CommandRegistry& commands, QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("pnlTaga"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setFixedHeight(29);

    // A 13-pixel bold face; where the desktop's sans-serif runs wide, a narrower one of the
    // same height keeps the row within the window.
    QFont face = font();
    face.setPixelSize(13);
    face.setBold(true);
    face.setStretch(QFont::SemiCondensed);
    setFont(face);
    QPalette colours = palette();
    colours.setColor(QPalette::ButtonText, QColor(128, 0, 0));
    setPalette(colours);

    // The row keeps its positions and gaps; a caption wider than its place widens it and
    // moves the buttons after it along.
    const QFontMetrics metrics(face);
    int shift = 0;
    for (const TagButtonDef& def : tagButtons()) {
        const QString caption = QString::fromUtf8(def.caption);
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(def.name));
        button->setFocusPolicy(Qt::NoFocus);
        const int width = qMax(def.width, metrics.horizontalAdvance(caption) + 6);
        button->setGeometry(def.left + shift, 1, width, 25);
        shift += width - def.width;
        commands.connect(button, QString::fromLatin1(def.command));
        setMinimumWidth(button->geometry().right() + 6);
    }
}
