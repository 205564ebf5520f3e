#include "app/StatusPanels.h"

#include <QLabel>

namespace {

const QString ModifiedText = QStringLiteral("   Zmieniony  ");
const QString PartlyColouredText = QStringLiteral(" Kolory do 256 KB wiersza ");
const QString PartlyColouredTip =
    QStringLiteral("Ten wiersz jest dłuższy niż 256 KB: dalsza jego część nie jest kolorowana, "
                   "by pisanie w nim było szybkie.");

} // namespace

StatusPanels::StatusPanels(QWidget* parent) : QStatusBar(parent)
{
    setObjectName(QStringLiteral("Bar"));
    setSizeGripEnabled(false);
    QFont face = font();
    face.setPixelSize(13);
    face.setBold(true);
    setFont(face);
    // The panels keep their widths unless their usual texts need more room.
    const int widths[] = {70, 70, 70, 50};
    const QString widestTexts[] = {QStringLiteral(" 99999: 999 "), ModifiedText + QLatin1Char(' '),
                                   QStringLiteral(" ISO-8859-2 "), QString()};
    const QFontMetrics metrics(face);
    for (int panel = 0; panel < 4; ++panel) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("BarPanel%1").arg(panel));
        label->setTextFormat(Qt::PlainText);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        const int width = qMax(widths[panel], metrics.horizontalAdvance(widestTexts[panel]) + 6);
        if (panel < 3)
            label->setFixedWidth(width);
        else
            label->setMinimumWidth(width);
        addWidget(label, panel == 3 ? 1 : 0);
        m_panels << label;
    }
}

QString StatusPanels::text(int panel) const
{
    return m_panels.value(panel) ? m_panels[panel]->text() : QString();
}

void StatusPanels::setText(int panel, const QString& text)
{
    if (QLabel* label = m_panels.value(panel))
        label->setText(text);
}

void StatusPanels::showCaret(int line, int column)
{
    setText(0, QString::asprintf("%4d: %2d", line, column));
}

void StatusPanels::showPartlyColoured(bool partly)
{
    if (!partly && !m_partlyColoured)
        return;
    if (!m_partlyColoured) {
        m_partlyColoured = new QLabel(PartlyColouredText, this);
        m_partlyColoured->setObjectName(QStringLiteral("BarPartlyColoured"));
        m_partlyColoured->setToolTip(PartlyColouredTip);
        addPermanentWidget(m_partlyColoured);
    }
    m_partlyColoured->setVisible(partly);
}

void StatusPanels::showRecoveryWarning(const QString& reason)
{
    if (!m_recoveryWarning) {
        m_recoveryWarning = new QLabel(QStringLiteral(" Brak kopii awaryjnych "), this);
        m_recoveryWarning->setObjectName(QStringLiteral("BarRecoveryWarning"));
        addPermanentWidget(m_recoveryWarning);
    }
    m_recoveryWarning->setToolTip(
        QStringLiteral("Niezapisane zmiany nie są chronione przed awarią: nie można zapisać "
                       "ich kopii.\n%1")
            .arg(reason));
}

void StatusPanels::showModified(bool modified)
{
    setText(1, modified ? ModifiedText : QString());
}
