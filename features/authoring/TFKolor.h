#pragma once

#include <QDialog>
#include <QImage>

#include <array>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class UpDown;

// "Dobór koloru": mixes a colour from its red, green and blue parts, starting from black.
// The three track bars hold the colour; the edits, the swatch, the strips and the codes follow.
class TFKolor : public QDialog {
    Q_OBJECT
public:
    explicit TFKolor(QWidget* parent = nullptr);

    // Shows a fresh picker; the HTML code ("#RRGGBB") when the user chose "Wstaw".
    static std::optional<QString> ask(QWidget* parent);

    QString htmlCode() const;
    QString decimalCode() const;

private slots:
    void TrackChange();
    void ColEditChange(int tag);

private:
    int channel(int tag) const;
    void ColourPnlPaint(QWidget* box);
    void OutBoxPaint(QWidget* box, int tag);

    // One row of pixels, redrawn for each strip and stretched onto it.
    QImage m_strip{128, 1, QImage::Format_RGB32};

    QWidget* ColourPnl;
    std::array<QSlider*, 3> m_tracks;
    std::array<QWidget*, 3> m_boxes;
    std::array<QLineEdit*, 3> m_edits;
    std::array<UpDown*, 3> m_upDowns;
    QLineEdit* HexOutEdit;
    QLineEdit* DecOutEdit;
    QPushButton* btnWstaw;
    QPushButton* btnAnuluj;
};
