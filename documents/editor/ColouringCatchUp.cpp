#include "editor/ColouringCatchUp.h"

#include <QElapsedTimer>
#include <Qsci/qsciscintillabase.h>

#include <algorithm>

namespace {

constexpr qint64 SliceNanoseconds = 500'000;
constexpr qint64 MinBytesPerSlice = 4 << 10;
constexpr qint64 MaxBytesPerSlice = 16 << 20;

} // namespace

ColouringCatchUp::ColouringCatchUp(QsciScintillaBase* editor) : QObject(editor), m_editor(editor)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &ColouringCatchUp::colourSlice);
    connect(editor, &QsciScintillaBase::SCN_PAINTED, this, &ColouringCatchUp::startIfBehind);
}

long ColouringCatchUp::send(unsigned int message, unsigned long wParam, long lParam) const
{
    return m_editor->SendScintilla(message, wParam, lParam);
}

long ColouringCatchUp::lineStartAt(long position) const
{
    return send(QsciScintillaBase::SCI_POSITIONFROMLINE,
                send(QsciScintillaBase::SCI_LINEFROMPOSITION, position));
}

// The position after the last line shown, the partly shown one included.
long ColouringCatchUp::shownEnd() const
{
    const long lastShown = send(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE,
                                send(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE) +
                                    send(QsciScintillaBase::SCI_LINESONSCREEN));
    if (lastShown + 1 >= send(QsciScintillaBase::SCI_GETLINECOUNT))
        return send(QsciScintillaBase::SCI_GETLENGTH);
    return send(QsciScintillaBase::SCI_POSITIONFROMLINE, lastShown + 1);
}

void ColouringCatchUp::startIfBehind()
{
    if (m_timer.isActive())
        return;
    const long styled = send(QsciScintillaBase::SCI_GETENDSTYLED);
    if (styled >= shownEnd())
        return;
    m_colouredTo = lineStartAt(styled);
    m_timer.start();
    m_linesPrepared = false;
    holdOffScintilla();
}

void ColouringCatchUp::colourSlice()
{
    // An edit or a new colouring since the last slice leaves Scintilla's end of colouring
    // before ours: the text from there on is coloured anew.
    m_colouredTo = std::min(m_colouredTo, lineStartAt(send(QsciScintillaBase::SCI_GETENDSTYLED)));
    const long goal = shownEnd();
    if (m_colouredTo >= goal) {
        finish();
        return;
    }
    if (!m_linesPrepared) {
        // Scintilla grows its per-line lexer state up to the last line a lexer touches, which
        // for a line far below takes tens of milliseconds. An edit down there, before the
        // slices arrive, would have the key wait for it: it is done here, at once.
        m_linesPrepared = true;
        send(QsciScintillaBase::SCI_GETLINESTATE, send(QsciScintillaBase::SCI_GETLINECOUNT) - 1);
        return;
    }
    // A slice ends at a line start about m_bytesPerSlice on, whose count follows the time the
    // slices take, growing at most twofold at a time.
    const long lineAfter = send(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                std::min(m_colouredTo + m_bytesPerSlice, goal)) +
                           1;
    const long sliceEnd =
        std::min(goal, lineAfter < send(QsciScintillaBase::SCI_GETLINECOUNT)
                           ? send(QsciScintillaBase::SCI_POSITIONFROMLINE, lineAfter)
                           : goal);
    QElapsedTimer elapsed;
    elapsed.start();
    // Colouring text above what is shown changes nothing on screen, yet Scintilla repaints the
    // whole view after it, which would cost as much as the slice itself: the viewport takes no
    // updates meanwhile. Only that call runs in between, so nothing else is lost.
    QWidget* const viewport = m_editor->viewport();
    const bool aboveShown =
        sliceEnd <= send(QsciScintillaBase::SCI_POSITIONFROMLINE,
                         send(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE,
                              send(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE)));
    const bool updatesWereEnabled = viewport->updatesEnabled();
    if (aboveShown && updatesWereEnabled)
        viewport->setAttribute(Qt::WA_UpdatesDisabled, true);
    send(QsciScintillaBase::SCI_COLOURISE, m_colouredTo, sliceEnd);
    if (aboveShown && updatesWereEnabled)
        viewport->setAttribute(Qt::WA_UpdatesDisabled, false);
    const qint64 spent = std::max<qint64>(elapsed.nsecsElapsed(), 1);
    m_bytesPerSlice = std::clamp<qint64>(
        std::min<qint64>(2 * m_bytesPerSlice, (sliceEnd - m_colouredTo) * SliceNanoseconds / spent),
        MinBytesPerSlice, MaxBytesPerSlice);
    m_colouredTo = sliceEnd;
    if (m_colouredTo >= goal) {
        finish();
        return;
    }
    holdOffScintilla();
}

void ColouringCatchUp::holdOffScintilla()
{
    // Until the slices reach what is shown, Scintilla takes the text as coloured, so that
    // neither painting nor its idle time colours a long stretch at once.
    send(QsciScintillaBase::SCI_STARTSTYLING, send(QsciScintillaBase::SCI_GETLENGTH));
}

void ColouringCatchUp::finish()
{
    m_timer.stop();
    send(QsciScintillaBase::SCI_STARTSTYLING, m_colouredTo);
}
