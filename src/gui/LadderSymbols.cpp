// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/LadderSymbols.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <QPainterPath>
#include <QPixmap>

#include "gui/LadderPainter.h"
#include "gui/QtText.h"
#include "model/Catalogue.h"
#include "model/Ladder.h"

namespace pontra::gui {

namespace {

enum class Shape { Contact, ContactNot, Coil, CoilLatch, CoilUnlatch, OneShot, Box, Rung, Branch, Leg };

QString Mnemonic(int kind) {
    const CatalogueEntry* entry = FindCatalogueEntry(kind);
    return entry ? ToQString(entry->mnemonic) : QString();
}

Shape ShapeOf(int kind) {
    const QString m = Mnemonic(kind);
    if (kind == kKindRung) return Shape::Rung;
    if (kind == kKindBranch) return Shape::Branch;
    if (kind == kKindBranchLevel) return Shape::Leg;
    if (m == "XIC") return Shape::Contact;
    if (m == "XIO") return Shape::ContactNot;
    if (m == "OTE") return Shape::Coil;
    if (m == "OTL") return Shape::CoilLatch;
    if (m == "OTU") return Shape::CoilUnlatch;
    if (m == "ONS" || m == "OSR" || m == "OSF") return Shape::OneShot;
    return Shape::Box;
}

void Lead(QPainter& p, const QRectF& box, qreal left, qreal right) {
    const qreal y = box.center().y();
    p.drawLine(QPointF(box.left(), y), QPointF(left, y));
    p.drawLine(QPointF(right, y), QPointF(box.right(), y));
}

void FitText(QPainter& p, const QRectF& area, const QString& text) {
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(std::max(6, static_cast<int>(area.height() * 0.42)));
    // Shrink until the text fits the width.
    while (font.pixelSize() > 6 && QFontMetricsF(font).horizontalAdvance(text) > area.width() - 2)
        font.setPixelSize(font.pixelSize() - 1);
    p.setFont(font);
    p.drawText(area, Qt::AlignCenter, text);
}

}  // namespace

void PaintLadderSymbol(QPainter& p, const QRectF& box, int kind, const QColor& ink) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(ink, std::max(1.0, box.height() / 14.0));
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const qreal cx = box.center().x(), cy = box.center().y();
    const qreal h = box.height(), w = box.width();
    const QString mnemonic = Mnemonic(kind);
    switch (ShapeOf(kind)) {
        // Contacts, coils and one-shots as the ladder editor draws them.
        case Shape::Contact:
        case Shape::ContactNot: PaintContact(p, box, ShapeOf(kind) == Shape::ContactNot, ink); break;
        case Shape::Coil: PaintCoil(p, box, {}, ink); break;
        case Shape::CoilLatch: PaintCoil(p, box, "L", ink); break;
        case Shape::CoilUnlatch: PaintCoil(p, box, "U", ink); break;
        case Shape::OneShot: {
            // Too small for the editor's label between bars: a framed mnemonic reads better.
            const QRectF body(cx - w * 0.3, cy - h * 0.3, w * 0.6, h * 0.6);
            Lead(p, box, body.left(), body.right());
            p.drawRect(body);
            FitText(p, body, mnemonic);
            break;
        }
        case Shape::Box: {
            const QRectF body(box.left() + w * 0.12, box.top() + h * 0.12, w * 0.76, h * 0.76);
            Lead(p, box, body.left(), body.right());
            p.drawRect(body);
            FitText(p, body, mnemonic);
            break;
        }
        case Shape::Rung: {
            p.drawLine(QPointF(box.left() + w * 0.15, box.top() + h * 0.15),
                       QPointF(box.left() + w * 0.15, box.bottom() - h * 0.15));
            p.drawLine(QPointF(box.right() - w * 0.15, box.top() + h * 0.15),
                       QPointF(box.right() - w * 0.15, box.bottom() - h * 0.15));
            p.drawLine(QPointF(box.left() + w * 0.15, cy), QPointF(box.right() - w * 0.15, cy));
            break;
        }
        case Shape::Branch:
        case Shape::Leg: {
            const qreal l = box.left() + w * 0.25, r = box.right() - w * 0.25;
            const qreal top = cy - h * 0.2, bottom = cy + h * 0.25;
            p.drawLine(QPointF(box.left(), top), QPointF(box.right(), top));
            QPainterPath leg;
            leg.moveTo(l, top);
            leg.lineTo(l, bottom);
            leg.lineTo(r, bottom);
            leg.lineTo(r, top);
            p.drawPath(leg);
            if (ShapeOf(kind) == Shape::Leg) {
                p.drawLine(QPointF(cx, bottom - h * 0.12), QPointF(cx, bottom + h * 0.12));
                p.drawLine(QPointF(cx - h * 0.12, bottom), QPointF(cx + h * 0.12, bottom));
            }
            break;
        }
    }
    p.restore();
}

QString ButtonName(const BarButton& button) {
    switch (button.action) {
        case BarButtonAction::InsertRung: return "Rung";
        case BarButtonAction::InsertBranch: return "Branch";
        case BarButtonAction::AddBranchLeg: return "Branch Leg";
        case BarButtonAction::InsertElement: return Mnemonic(button.kind);
    }
    return {};
}

QString ButtonTip(const BarButton& button) {
    const QString name = ButtonName(button);
    if (button.action != BarButtonAction::InsertElement) return "Insert " + name;
    const CatalogueEntry* entry = FindCatalogueEntry(button.kind);
    const QString description = entry ? ToQString(entry->description) : QString();
    return description.isEmpty() ? name : name + " - " + description;
}

QIcon ButtonIcon(const BarButton& button) {
    int kind = button.kind;
    if (button.action == BarButtonAction::InsertRung) kind = kKindRung;
    if (button.action == BarButtonAction::InsertBranch) kind = kKindBranch;
    if (button.action == BarButtonAction::AddBranchLeg) kind = kKindBranchLevel;
    QIcon icon;
    for (int size : {24, 48}) {
        QPixmap pixmap(size * 3 / 2, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        PaintLadderSymbol(painter, QRectF(pixmap.rect()), kind, QColor(20, 40, 90));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace pontra::gui
