#include "authoring/TFPomoc.h"

#include "authoring/HelpText.h"

#include <QFrame>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int HelpWidth = 596;
constexpr int HelpHeight = 392;
constexpr int BottomStrip = 41;

} // namespace

TFPomoc::TFPomoc(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FPomoc"));
    setWindowTitle(QStringLiteral("Pomoc"));
    QFont face = font();
    face.setPixelSize(13);
    face.setBold(true);
    setFont(face);
    setFixedSize(HelpWidth, HelpHeight);

    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setGeometry(0, 0, HelpWidth, HelpHeight - BottomStrip);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(2, 2, 2, 2);
    Memo1 = new QPlainTextEdit(helpText(), frame);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    frameLayout->addWidget(Memo1);

    bitZamknij = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                                 QStringLiteral("&Zamknij"), this);
    bitZamknij->setObjectName(QStringLiteral("bitZamknij"));
    bitZamknij->setGeometry((HelpWidth - 153) / 2,
                            HelpHeight - BottomStrip + (BottomStrip - 28) / 2, 153, 28);
    bitZamknij->setAutoDefault(false);
    connect(bitZamknij, &QPushButton::clicked, this, &TFPomoc::bitZamknijClick);

    for (QObject* control : {static_cast<QObject*>(Memo1), static_cast<QObject*>(Memo1->viewport()),
                             static_cast<QObject*>(bitZamknij)})
        control->installEventFilter(this);
    Memo1->setFocus();
}

bool TFPomoc::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && FormKeyDown(static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

bool TFPomoc::FormKeyDown(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape)
        return false;
    close();
    return true;
}

void TFPomoc::bitZamknijClick()
{
    close();
}
