// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_BalloonHelp.h"

#include "balloon/BalloonGeometry.h"
#include "balloon/BalloonText.h"
#include "platform/UiHost.h"

#include <QApplication>
#include <QBitmap>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>

#include <limits>

namespace {

QPointer<frm_BalloonHelp>& current()
{
    static QPointer<frm_BalloonHelp> balloon;
    return balloon;
}

// A BalloonBackground number: a system colour (0x80000000 and its index;
// 0x18 the tool tip's background) or a colour written blue, green, red.
QColor backgroundColour(quint32 number, const QPalette& palette)
{
    if (number & 0x80000000u)
        return palette.color(QPalette::ToolTipBase);
    return QColor(int(number & 0xFF), int((number >> 8) & 0xFF), int((number >> 16) & 0xFF));
}

constexpr int PictureLabelWidth = 150;
constexpr int PlainLabelWidth = 190;

} // namespace

frm_BalloonHelp::frm_BalloonHelp() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frm_BalloonHelp"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    pic_Graphic = new QLabel(this);
    pic_Graphic->setObjectName(QStringLiteral("pic_Graphic"));
    lbl_Message = new QLabel(this);
    lbl_Message->setObjectName(QStringLiteral("lbl_Message"));
    lbl_Message->setWordWrap(true);
    lbl_Message->setTextFormat(Qt::RichText);
    lbl_Message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (QLabel* label : {pic_Graphic, lbl_Message}) {
        label->setMouseTracking(true);
        label->installEventFilter(this);
    }
    timer_Hide = new QTimer(this);
    timer_Hide->setSingleShot(true);
    connect(timer_Hide, &QTimer::timeout, this, &frm_BalloonHelp::Form_Click);
}

void frm_BalloonHelp::Form_Click()
{
    timer_Hide->stop();
    hide();
    close();
}

void frm_BalloonHelp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawPolyline(outline);
}

void frm_BalloonHelp::mousePressEvent(QMouseEvent*)
{
    Form_Click();
}

void frm_BalloonHelp::mouseMoveEvent(QMouseEvent*)
{
    Form_Click();
}

bool frm_BalloonHelp::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == pic_Graphic || watched == lbl_Message) &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove)) {
        Form_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

int balloonMessageLines(const QFont& font, int width, const QString& html)
{
    QTextDocument document;
    document.setDefaultFont(font);
    document.setDocumentMargin(0);
    document.setHtml(html);
    document.setTextWidth(width);
    document.size(); // lays the text out
    int lines = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        lines += block.layout() ? block.layout()->lineCount() : 0;
    return std::max(1, lines);
}

frm_BalloonHelp* currentBalloon()
{
    return current();
}

bool ShowBalloonHelp(QWidget* Control, std::optional<int> Position, bool Force,
                     std::optional<int> TextNumber, bool AtCursor,
                     const std::optional<QString>& Message)
{
    using namespace Routines_BalloonHelp;
    try {
        if (!Control)
            return false;
        const int number = TextNumber.value_or(Control->property("WhatsThisHelpID").toInt());
        if (!balloonAllowed(number, Force))
            return false;
        const QPoint tip = AtCursor ? Platform::uiHost().mousePosition()
                                    : Control->mapToGlobal(Control->rect().center());
        const BalloonText text = balloonText(number, Message);
        if (frm_BalloonHelp* old = current())
            old->Form_Click();

        auto balloon = std::make_unique<frm_BalloonHelp>();
        QPalette palette = balloon->palette();
        palette.setColor(QPalette::Window, backgroundColour(balloonBackground(), palette));
        balloon->setPalette(palette);
        balloon->setAutoFillBackground(true);

        int labelWidth = PlainLabelWidth;
        balloon->pic_Graphic->hide();
        if (!text.picture.isEmpty()) {
            // Light magenta is see-through.
            QPixmap picture(QStringLiteral(":/balloon/%1.png").arg(text.picture));
            if (picture.isNull())
                return false;
            picture.setMask(picture.createMaskFromColor(QColor(255, 0, 255)));
            balloon->pic_Graphic->setPixmap(picture);
            balloon->pic_Graphic->resize(picture.size());
            balloon->pic_Graphic->show();
            labelWidth = PictureLabelWidth;
        }
        const QString html = balloonHtml(text.message);
        balloon->lbl_Message->setText(html);
        // A line's height is the font's, as a text box counts it.
        const int lineHeight = QFontMetrics(balloon->lbl_Message->font()).lineSpacing();
        const int textHeight =
            balloonMessageLines(balloon->lbl_Message->font(), labelWidth, html) * lineHeight;

        BalloonInput in;
        in.width = frm_BalloonHelp::DesignWidth;
        in.textHeight = textHeight;
        in.tip = tip;
        in.screen = Platform::uiHost().screenSize();
        in.position = Position;
        in.picture = !text.picture.isEmpty();
        in.delay = balloonDelay();
        in.messageLength = text.message.size();
        const std::optional<BalloonLayout> layout = balloonLayout(in);
        // A balloon that fits nowhere, or a time the timer cannot take.
        if (!layout || layout->interval > std::numeric_limits<int>::max())
            return false;

        balloon->outline = QPolygon(layout->outline);
        balloon->pic_Graphic->move(layout->pictureAt);
        balloon->lbl_Message->setGeometry(layout->labelAt.x(), layout->labelAt.y(), labelWidth,
                                          std::max(textHeight, lineHeight));
        balloon->setGeometry(QRect(layout->corner, QSize(in.width, layout->height)));
        balloon->setMask(QRegion(balloon->outline, Qt::WindingFill));
        recordBalloonShown(number);
        if (layout->interval > 0)
            balloon->timer_Hide->start(int(layout->interval));
        current() = balloon.get();
        balloon.release()->show();
        return true;
    } catch (...) {
        // A balloon that cannot be built shows nothing.
        return false;
    }
}
