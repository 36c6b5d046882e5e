// The window icon, drawn here until the packaged data/flashkit.svg takes its place.
#include "gui/mainwindow.hpp"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace fk::gui {

QIcon flashkitIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x6f, 0x3a)); // the board
    p.drawRoundedRect(4, 4, 56, 56, 8, 8);
    p.setPen(QPen(QColor(0xd9, 0x9a, 0x3b), 6)); // a copper track
    p.drawLine(14, 46, 32, 28);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd9, 0x9a, 0x3b)); // the flashed pad
    p.drawEllipse(QPoint(38, 24), 14, 14);
    p.setBrush(QColor(0xf4, 0xf4, 0xf0)); // its drill hole
    p.drawEllipse(QPoint(38, 24), 5, 5);
    p.end();
    return QIcon(pixmap);
}

} // namespace fk::gui
