#include "authoring/TFKolor.h"

#include "authoring/ColourCodes.h"
#include "authoring/UpDown.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>

#include <functional>

namespace {

// A plain area that its window paints.
class PaintBox : public QWidget {
public:
    PaintBox(const std::function<void(QWidget*)>& paint, QWidget* parent)
        : QWidget(parent), m_paint(paint)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override { m_paint(this); }

private:
    std::function<void(QWidget*)> m_paint;
};

struct ChannelDef {
    const char* track;
    const char* panel;
    const char* box;
    const char* edit;
    const char* upDown;
    QColor editColour;
};

const ChannelDef Channels[] = {
    {"TrackR", "PanelR", "RedBox", "EditR", "UpDownR", QColor(255, 0, 0)},
    {"TrackG", "PanelG", "GreenBox", "EditG", "UpDownG", QColor(0, 255, 0)},
    {"TrackB", "PanelB", "BlueBox", "EditB", "UpDownB", QColor(0, 0, 255)},
};

QLineEdit* readOnlyText(const char* name, const QString& text, const QRect& place, QWidget* parent)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    edit->setFrame(false);
    edit->setFocusPolicy(Qt::ClickFocus);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, parent->palette().color(QPalette::Window));
    edit->setPalette(palette);
    edit->setGeometry(place);
    return edit;
}

} // namespace

TFKolor::TFKolor(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowStaysOnTopHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FKolor"));
    setWindowTitle(QStringLiteral("Dobór koloru"));
    QFont face = font();
    face.setPixelSize(13);
    face.setBold(true);
    setFont(face);
    setFixedSize(267, 206);

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("ColourBvl"));
    bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel->setGeometry(8, 8, 52, 88);
    ColourPnl = new PaintBox([this](QWidget* box) { ColourPnlPaint(box); }, bevel);
    ColourPnl->setObjectName(QStringLiteral("ColourPnl"));
    ColourPnl->setToolTip(QStringLiteral("Colour"));
    ColourPnl->setGeometry(2, 2, 48, 84);

    for (int tag = 0; tag < 3; ++tag) {
        const ChannelDef& def = Channels[tag];
        const int top = 6 + 30 * tag;

        QSlider* track = new QSlider(Qt::Horizontal, this);
        track->setObjectName(QLatin1String(def.track));
        track->setRange(0, 255);
        track->setSingleStep(1);
        track->setPageStep(16);
        track->setTickPosition(QSlider::NoTicks);
        track->setGeometry(66, top, 140, 20);
        m_tracks[tag] = track;

        auto* panel = new QFrame(this);
        panel->setObjectName(QLatin1String(def.panel));
        panel->setFrameStyle(QFrame::Box | QFrame::Plain);
        QPalette black = panel->palette();
        black.setColor(QPalette::WindowText, Qt::black);
        panel->setPalette(black);
        panel->setGeometry(71, top + 21, 130, 9);
        m_boxes[tag] = new PaintBox([this, tag](QWidget* box) { OutBoxPaint(box, tag); }, panel);
        m_boxes[tag]->setObjectName(QLatin1String(def.box));
        m_boxes[tag]->setGeometry(1, 1, 128, 7);

        auto* edit = new QLineEdit(QStringLiteral("0"), this);
        edit->setObjectName(QLatin1String(def.edit));
        edit->setMaxLength(3);
        edit->setAlignment(Qt::AlignRight);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, def.editColour);
        palette.setColor(QPalette::Text, tag == 1 ? Qt::black : Qt::white);
        edit->setPalette(palette);
        edit->setGeometry(212, top + 2, 34, 23);
        m_edits[tag] = edit;

        auto* upDown = new UpDown(edit, 0, 255, this);
        upDown->setObjectName(QLatin1String(def.upDown));
        upDown->setGeometry(246, top + 2, 15, 23);
        m_upDowns[tag] = upDown;

        connect(track, &QSlider::valueChanged, this, &TFKolor::TrackChange);
        connect(edit, &QLineEdit::textChanged, this, [this, tag] { ColEditChange(tag); });
        // Text left out of range or not a number shows the channel's value again.
        connect(edit, &QLineEdit::editingFinished, this,
                [this, tag] { m_upDowns[tag]->setPosition(channel(tag)); });
    }

    auto* hexLabel = new QLabel(QStringLiteral("Kod HTML:"), this);
    hexLabel->setGeometry(8, 104, 120, 20);
    HexOutEdit = readOnlyText("HexOutEdit", QStringLiteral("#000000"), {130, 104, 100, 20}, this);
    auto* decLabel = new QLabel(QStringLiteral("Kod dziesiętny:"), this);
    decLabel->setGeometry(8, 130, 120, 20);
    DecOutEdit = readOnlyText("DecOutEdit", QStringLiteral("0"), {130, 130, 100, 20}, this);

    btnWstaw = new QPushButton(QStringLiteral("&Wstaw"), this);
    btnWstaw->setObjectName(QStringLiteral("btnWstaw"));
    btnWstaw->setGeometry(30, 166, 95, 30);
    btnAnuluj = new QPushButton(QStringLiteral("&Anuluj"), this);
    btnAnuluj->setObjectName(QStringLiteral("btnAnuluj"));
    btnAnuluj->setGeometry(142, 166, 95, 30);
    btnWstaw->setDefault(true);
    btnAnuluj->setAutoDefault(false);
    connect(btnWstaw, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnAnuluj, &QPushButton::clicked, this, &QDialog::reject);

    m_tracks[0]->setFocus();
}

std::optional<QString> TFKolor::ask(QWidget* parent)
{
    TFKolor dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.htmlCode();
}

QString TFKolor::htmlCode() const
{
    return HexOutEdit->text();
}

QString TFKolor::decimalCode() const
{
    return DecOutEdit->text();
}

int TFKolor::channel(int tag) const
{
    return m_tracks[tag]->value();
}

void TFKolor::TrackChange()
{
    const int r = channel(0), g = channel(1), b = channel(2);
    ColourPnl->update();
    for (int tag = 0; tag < 3; ++tag) {
        m_upDowns[tag]->setPosition(channel(tag));
        m_boxes[tag]->update();
    }
    HexOutEdit->setText(htmlColourCode(r, g, b));
    DecOutEdit->setText(decimalColourCode(r, g, b));
}

void TFKolor::ColEditChange(int tag)
{
    m_tracks[tag]->setValue(m_upDowns[tag]->position());
}

void TFKolor::ColourPnlPaint(QWidget* box)
{
    QPainter painter(box);
    painter.fillRect(box->rect(), QColor(channel(0), channel(1), channel(2)));
}

// The strip of one channel: that channel rising from 0 to 254 in steps of 2, the other two as
// their track bars stand.
void TFKolor::OutBoxPaint(QWidget* box, int tag)
{
    for (int x = 0; x < m_strip.width(); ++x) {
        int rgb[3] = {channel(0), channel(1), channel(2)};
        rgb[tag] = 2 * x;
        m_strip.setPixel(x, 0, qRgb(rgb[0], rgb[1], rgb[2]));
    }
    QPainter painter(box);
    painter.drawImage(box->rect(), m_strip);
}
