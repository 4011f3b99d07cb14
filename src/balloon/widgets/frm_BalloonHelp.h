// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QPolygon>
#include <QWidget>

#include <optional>

class QFont;
class QLabel;
class QTimer;

// A balloon: a borderless window shaped like a speech bubble whose tip
// touches a control, with a message and perhaps a picture. It never takes
// the focus, and a click, the mouse passing over it or its timer closes it.
class frm_BalloonHelp : public QWidget
{
    Q_OBJECT

public:
    // The window's design width in pixels (W).
    static constexpr int DesignWidth = 240;

    frm_BalloonHelp();

    QLabel* pic_Graphic = nullptr;
    QLabel* lbl_Message = nullptr;
    QTimer* timer_Hide = nullptr;
    QPolygon outline; // in window pixels

    // Closes the balloon.
    void Form_Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The balloon showing, if one is: only one exists at a time.
frm_BalloonHelp* currentBalloon();

// The lines that a balloon's message (rich text) takes when wrapped at
// `width` pixels: at least one.
int balloonMessageLines(const QFont& font, int width, const QString& html);

// Shows the balloon of `Control`: the message of string TextNumber (the
// control's "WhatsThisHelpID" property when left out) or `Message`, its tip
// at the control's centre or, with AtCursor, at the mouse pointer, in the
// corner Position (0 below right, 1 below left, 2 above right, 3 above left)
// when it fits. A balloon shown once before shows again only when forced.
// True when it was shown; any fault shows nothing and gives false.
bool ShowBalloonHelp(QWidget* Control, std::optional<int> Position = std::nullopt,
                     bool Force = false, std::optional<int> TextNumber = std::nullopt,
                     bool AtCursor = false, const std::optional<QString>& Message = std::nullopt);
