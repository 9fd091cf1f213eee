// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/LadderPainter.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace pontra::gui {

namespace {

QPen Pen(const QColor& color, double width) {
    QPen pen(color, width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

}  // namespace

double LadderPenWidth(const QRectF& rect) { return std::clamp(rect.height() / 22.0, 0.6, 6.0); }

void PaintWire(QPainter& painter, const QRectF& rect, const QColor& color) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Pen(color, std::max(1.0, LadderPenWidth(rect) * 0.6)));
    const double y = rect.center().y();
    painter.drawLine(QPointF(rect.left(), y), QPointF(rect.right(), y));
}

void PaintContact(QPainter& painter, const QRectF& rect, bool negated, const QColor& color, const QString& label,
                  const QColor& wireIn) {
    const double w = LadderPenWidth(rect);
    const double y = rect.center().y(), cx = rect.center().x();
    const double gap = std::min(rect.width() * 0.12, rect.height() * 0.45), half = rect.height() * 0.42;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Pen(wireIn.isValid() ? wireIn : color, std::max(1.0, w * 0.6)));
    painter.drawLine(QPointF(rect.left(), y), QPointF(cx - gap, y));
    painter.setPen(Pen(color, std::max(1.0, w * 0.6)));
    painter.drawLine(QPointF(cx + gap, y), QPointF(rect.right(), y));
    painter.setPen(Pen(color, std::max(1.0, w * 1.3)));
    painter.drawLine(QPointF(cx - gap, y - half), QPointF(cx - gap, y + half));
    painter.drawLine(QPointF(cx + gap, y - half), QPointF(cx + gap, y + half));
    if (negated) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Pen(color, std::max(1.0, w)));
        painter.drawLine(QPointF(cx - gap * 0.6, y + half * 0.8), QPointF(cx + gap * 0.6, y - half * 0.8));
    }
    if (!label.isEmpty()) {
        QFont font = painter.font();
        font.setPixelSize(std::max(1, static_cast<int>(half * 0.7)));
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(QRectF(cx - gap, y - half, 2 * gap, 2 * half), Qt::AlignCenter, label);
    }
}

void PaintCoil(QPainter& painter, const QRectF& rect, const QString& letter, const QColor& color) {
    const double w = LadderPenWidth(rect);
    const double y = rect.center().y(), cx = rect.center().x();
    const double r = std::min(rect.width() * 0.16, rect.height() * 0.42);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Pen(color, std::max(1.0, w * 0.6)));
    painter.drawLine(QPointF(rect.left(), y), QPointF(cx - r, y));
    painter.drawLine(QPointF(cx + r, y), QPointF(rect.right(), y));
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Pen(color, std::max(1.0, w * 1.2)));
    const QRectF circle(cx - r, y - r, 2 * r, 2 * r);
    // Two arcs, open at top and bottom: ( )
    painter.drawArc(circle, 120 * 16, 120 * 16);
    painter.drawArc(circle, -60 * 16, 120 * 16);
    if (!letter.isEmpty()) {
        QFont font = painter.font();
        font.setPixelSize(std::max(1, static_cast<int>(r * 1.1)));
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(circle, Qt::AlignCenter, letter);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
}

void PaintBoxFrame(QPainter& painter, const QRectF& rect, double header, const QColor& frame, const QColor& fill,
                   const QColor& headerFill) {
    const double w = std::max(1.0, LadderPenWidth(QRectF(0, 0, 1, header * 2)) * 0.8);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRect(rect);
    painter.setBrush(headerFill);
    painter.drawRect(QRectF(rect.left(), rect.top(), rect.width(), header));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Pen(frame, w));
    painter.drawRect(rect);
    painter.drawLine(QPointF(rect.left(), rect.top() + header), QPointF(rect.right(), rect.top() + header));
}

void PaintRail(QPainter& painter, const QRectF& rect, const QColor& color) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawRect(rect);
    painter.setBrush(Qt::NoBrush);
}

void PaintBranchSide(QPainter& painter, const QRectF& rect, const QColor& color) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Pen(color, std::max(1.0, rect.width())));
    painter.drawLine(QPointF(rect.center().x(), rect.top()), QPointF(rect.center().x(), rect.bottom()));
}

}  // namespace pontra::gui
