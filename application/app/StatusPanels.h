#pragma once

#include <QStatusBar>

class QLabel;

// The status bar's four panels: 0 caret line and column, 1 the unsaved-changes mark, 2 the
// active page's encoding name, 3 its file path.
class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusPanels(QWidget* parent);

    QString text(int panel) const;
    void setText(int panel, const QString& text);
    void showCaret(int line, int column);
    void showModified(bool modified);
    // A note beside the panels that the caret's line is coloured only in part.
    void showPartlyColoured(bool partly);
    // A note that copies for crash recovery cannot be kept, with the reason in its tool tip.
    void showRecoveryWarning(const QString& reason);

private:
    QList<QLabel*> m_panels;
    QLabel* m_partlyColoured = nullptr;
    QLabel* m_recoveryWarning = nullptr;
};
