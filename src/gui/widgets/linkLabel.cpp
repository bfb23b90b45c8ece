#include "linkLabel.h"

#include "platform/appinfo.h"
#include "platform/openurl.h"

#include <algorithm>

#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

void OpenLink(QWidget* Owner, const std::string& Url) {
    if (!OpenURL(Url))
        QMessageBox::warning(Owner, QString::fromUtf8(kApplicationTitle),
                             QCoreApplication::translate(
                                 "TLinkLabel", "Nothing on this system could open %1 (no launcher such "
                                               "as xdg-open was found).")
                                 .arg(QString::fromStdString(Url)));
}

TLinkLabel::TLinkLabel(QWidget* Parent) : QLabel(Parent) {
    setCursor(Qt::PointingHandCursor);
}

void TLinkLabel::changeEvent(QEvent* Event) {
    QLabel::changeEvent(Event);
    if (Event->type() != QEvent::FontChange || !font().underline())
        return;
    // The font's own line runs through an underscore.
    FUnderline = true;
    QFont Plain = font();
    Plain.setUnderline(false);
    setFont(Plain);
}

void TLinkLabel::paintEvent(QPaintEvent* Event) {
    QLabel::paintEvent(Event);
    if (!FUnderline || text().isEmpty())
        return;
    const QFontMetrics Metrics = fontMetrics();
    const QRect Text = style()->itemTextRect(Metrics, contentsRect(), alignment(), isEnabled(), text());
    // A line's width clear of the descenders, which an underscore may pass by a pixel, and
    // within the label.
    const int Width = std::max(1, Metrics.lineWidth());
    const int Y = std::min(Text.top() + Metrics.ascent() + Metrics.descent() + 2 * Width, height() - Width);
    QPainter Painter(this);
    Painter.fillRect(
        QRect(Text.left(), Y, std::min(Text.width(), contentsRect().right() + 1 - Text.left()), Width),
        palette().color(foregroundRole()));
}

void TLinkLabel::mousePressEvent(QMouseEvent* Event) {
    FPressed = Event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(Event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* Event) {
    // Like a button: the click counts only when the release is still over the label.
    const bool Click =
        FPressed && Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint());
    FPressed = false;
    QLabel::mouseReleaseEvent(Event);
    if (Click && OnClick)
        OnClick(this);
}
