#pragma once

#include <QObject>
#include <QTimer>

class QsciScintillaBase;

// Colours the text of a long document from the last coloured point to the end of what is shown
// in slices of half a millisecond, from a zero timer that lets input go first. Scintilla's own
// catch-up colours about 20 ms at a time, both when painting and in idle time, so that every
// key typed after a jump to the end of a large page would wait behind it.
class ColouringCatchUp : public QObject {
    Q_OBJECT
public:
    explicit ColouringCatchUp(QsciScintillaBase* editor);

    // Whether text up to the end of what is shown still waits to be coloured.
    bool isBehind() const { return m_timer.isActive(); }

private:
    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
    long lineStartAt(long position) const;
    long shownEnd() const;
    void startIfBehind();
    void colourSlice();
    void holdOffScintilla();
    void finish();

    QsciScintillaBase* const m_editor;
    QTimer m_timer;
    // Everything before is coloured as colouring the whole text would colour it.
    long m_colouredTo = 0;
    long m_bytesPerSlice = 16 << 10;
    bool m_linesPrepared = false;
};
