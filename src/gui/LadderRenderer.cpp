// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/LadderRenderer.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <climits>

#include "gui/LadderPainter.h"
#include "gui/QtText.h"
#include "model/Tag.h"
#include "online/OperandLookup.h"

namespace pontra::gui {

namespace {

using M = LadderMetrics;

// Below these scales the texts would be too small to read: they are left out.
constexpr double kOperandScale = 0.42, kDescriptionScale = 0.6;

QString Elided(const QString& text, const QFont& font, double width, Qt::TextElideMode mode = Qt::ElideRight) {
    const QFontMetricsF fm(font);
    if (fm.horizontalAdvance(text) <= width) return text;
    return fm.elidedText(text, mode, width);
}

const ListCell* ListCellOf(const RungLayout& rung, const CRung* list) {
    for (const ListCell& l : rung.lists)
        if (l.list == list) return &l;
    return nullptr;
}

}  // namespace

void LadderRenderer::SetScale(double scale) {
    scale_ = scale;
    style_ = LadderStyle::Make(scale);
}

QColor LadderRenderer::WireColor(bool energised) const {
    if (!power_) return style_.ink;
    return energised ? style_.energised : style_.deenergised;
}

void LadderRenderer::PaintRails(QPainter& painter, double originX, double top, double bottom) const {
    const double s = scale_, w = std::max(2.0, 3 * s);
    const double left = originX + LadderLayout::RailLeft() * s;
    const double right = originX + (LadderLayout::RailLeft() + layout_.Rail()) * s;
    PaintRail(painter, QRectF(left - w, top, w, bottom - top), power_ ? style_.energised : style_.rail);
    PaintRail(painter, QRectF(right, top, w, bottom - top), style_.rail);
}

void LadderRenderer::PaintRung(QPainter& painter, int index, QPointF origin, const RenderMarks& marks) const {
    const RungLayout& rung = layout_.Rung(index);
    if (rung.lists.empty()) return;
    const double s = scale_;
    const CRung* top = rung.lists[0].list;
    const RungPower* power = nullptr;
    if (power_) {
        const auto found = power_->find(top);
        if (found != power_->end()) power = &found->second;
    }

    // The comment above the rung.
    if (rung.commentHeight > 0 && s >= kOperandScale) {
        painter.setFont(style_.commentFont);
        painter.setPen(style_.comment);
        const QStringList lines = ToQString(top->comment).split(QLatin1Char('\n'));
        const double width = (layout_.Rail() - 12) * s;
        for (int i = 0; i < lines.size() && i < 40; ++i) {
            QString line = lines[i];
            line.remove(QLatin1Char('\r'));
            painter.drawText(QRectF(origin.x() + (M::kGutter + 6) * s, origin.y() + (2 + i * M::kCommentLine) * s, width,
                                    M::kCommentLine * s),
                             Qt::AlignLeft | Qt::AlignVCenter, Elided(line, style_.commentFont, width));
        }
    }

    const QPointF rows(origin.x() + M::kGutter * s, origin.y() + rung.commentHeight * s);
    const double wireY = rows.y() + M::kWireY * s;

    // The gutter: rung number, selection of the rung, damage mark.
    const QRectF gutter(origin.x(), rows.y(), (M::kGutter - 6) * s, rung.rows * M::kRow * s);
    const bool rungSelected = marks.showSelection && marks.selected && !rung.cells.empty() &&
                              rung.cells[0].element == marks.selected;
    if (rungSelected) {
        painter.fillRect(QRectF(gutter.left() + 2 * s, wireY - 11 * s, gutter.width() - 2 * s, 22 * s), style_.selectionFill);
        painter.setPen(QPen(style_.selection, std::max(1.0, 1.5 * s)));
        painter.drawRect(QRectF(gutter.left() + 2 * s, wireY - 11 * s, gutter.width() - 2 * s, 22 * s));
    }
    painter.setFont(style_.numberFont);
    painter.setPen(rung.damaged ? style_.damaged : style_.rungNumber);
    painter.drawText(QRectF(gutter.left(), wireY - 10 * s, gutter.width() - 4 * s, 20 * s), Qt::AlignRight | Qt::AlignVCenter,
                     rung.damaged ? QStringLiteral("! %1").arg(index) : QString::number(index));
    if (rung.damaged) {
        QPen pen(style_.damaged, std::max(1.0, s));
        pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        painter.drawRect(QRectF(rows.x() + 2 * s, rows.y() + 1, (layout_.Rail() - 4) * s, rung.rows * M::kRow * s - 2));
    }

    // Marks behind the elements: selection, found element, verification errors.
    for (const ElementCell& cell : rung.cells) {
        if (cell.element->kind == kKindBranch || cell.element->kind == kKindRung) continue;
        const LayoutBox b = rung.Placed(cell);
        const QRectF r(rows.x() + b.x * s, rows.y() + b.y * s, b.w * s, b.h * s);
        const bool error = marks.errors && marks.errors->count(cell.element->id);
        if (error) painter.fillRect(r.adjusted(1, 1, -1, -1), style_.errorFill);
        if (cell.element == marks.found) painter.fillRect(r.adjusted(1, 1, -1, -1), style_.found);
        if (marks.showSelection && cell.element == marks.selected) {
            painter.fillRect(r.adjusted(1, 1, -1, -1), style_.selectionFill);
            painter.setPen(QPen(style_.selection, std::max(1.0, 1.5 * s)));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(r.adjusted(1, 1, -1, -1));
        }
        if (error) {
            painter.setPen(QPen(style_.error, std::max(1.0, 1.5 * s)));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(r.adjusted(2, 2, -2, -2));
        }
    }

    // Wires between the elements of each list, each in the colour of the power it carries.
    const double symbolH = 24 * s;
    std::vector<std::pair<const CRung*, int>> ends;  // list -> where its wire got to (INT_MIN: skip)
    auto endOf = [&](const CRung* list) -> int& {
        for (auto& e : ends)
            if (e.first == list) return e.second;
        const ListCell* l = ListCellOf(rung, list);
        ends.emplace_back(list, l ? rung.Placed(*l).x : 0);
        return ends.back().second;
    };
    auto wire = [&](double fromX, double toX, double y, bool energised) {
        if (toX <= fromX) return;
        PaintWire(painter, QRectF(rows.x() + fromX * s, y - symbolH / 2, (toX - fromX) * s, symbolH), WireColor(energised));
    };
    for (const ElementCell& cell : rung.cells) {
        const LayoutBox b = rung.Placed(cell);
        int& end = endOf(cell.list);
        const ElementPower p = power ? power->Of(cell.element) : ElementPower{};
        const double y = rows.y() + (b.y + M::kWireY) * s;
        if (end != INT_MIN) wire(end, b.x, y, p.in);
        end = cell.element->kind == kKindBranch && !cell.element->legs.empty() ? INT_MIN : b.Right();
    }
    for (const auto& [list, end] : ends) {
        if (end == INT_MIN) continue;
        const ListCell* l = ListCellOf(rung, list);
        if (!l) continue;
        const LayoutBox lb = rung.Placed(*l);
        const int listEnd = l->depth == 0 ? layout_.Rail() : lb.Right();
        wire(end, listEnd, rows.y() + (lb.y + M::kWireY) * s, power && power->End(list));
    }

    for (const ElementCell& cell : rung.cells) PaintCell(painter, rung, cell, rows, power, marks);
}

void LadderRenderer::PaintCell(QPainter& painter, const RungLayout& rung, const ElementCell& cell, QPointF rows,
                               const RungPower* power, const RenderMarks& marks) const {
    const double s = scale_;
    const CElement& e = *cell.element;
    const LayoutBox b = rung.Placed(cell);
    const QRectF r(rows.x() + b.x * s, rows.y() + b.y * s, b.w * s, b.h * s);
    const double wireY = r.top() + M::kWireY * s, symbolH = 24 * s;
    const ElementPower p = power ? power->Of(&e) : ElementPower{};
    const QRectF symbol(r.left(), wireY - symbolH / 2, r.width(), symbolH);
    const double lineW = std::max(1.0, 1.4 * s);

    auto legWireY = [&](const CElement& branch) {
        const ListCell* last = branch.legs.empty() ? nullptr : ListCellOf(rung, branch.legs.back().get());
        return last ? rows.y() + (rung.Placed(*last).y + M::kWireY) * s : wireY;
    };

    switch (ShapeOf(e)) {
        case ElementShape::RungStart:
        case ElementShape::LegStart:
            PaintWire(painter, symbol, WireColor(p.in));
            break;
        case ElementShape::Branch:
            if (!e.legs.empty())
                PaintBranchSide(painter, QRectF(r.left() - lineW / 2, wireY, lineW, legWireY(e) - wireY), WireColor(p.in));
            break;
        case ElementShape::BranchEnd: {
            const int at = ElementPosition(e);
            const CElement* branch = at > 0 ? e.parent->elements[static_cast<size_t>(at - 1)].get() : nullptr;
            if (branch && branch->kind == kKindBranch && !branch->legs.empty())
                PaintBranchSide(painter, QRectF(r.left() - lineW / 2, wireY, lineW, legWireY(*branch) - wireY),
                                WireColor(p.in));
            PaintWire(painter, symbol, WireColor(p.out));
            break;
        }
        case ElementShape::Contact:
        case ElementShape::Coil: {
            const QColor color = WireColor(ShapeOf(e) == ElementShape::Coil ? p.in : p.out);
            if (ShapeOf(e) == ElementShape::Contact)
                PaintContact(painter, symbol, e.kind == 3, color, e.kind == 10 ? QStringLiteral("ONS") : QString(),
                             WireColor(p.in));
            else
                PaintCoil(painter, symbol, e.kind == 9 ? QStringLiteral("L") : e.kind == 8 ? QStringLiteral("U") : QString(),
                          color);
            if (s >= kOperandScale) {
                painter.setFont(style_.operandFont);
                painter.setPen(style_.operand);
                const QString operand = ToQString(e.operands[0]);
                painter.drawText(QRectF(r.left() + 2 * s, r.top() + 1 * s, r.width() - 4 * s, 16 * s), Qt::AlignCenter,
                                 // Shortened in the middle: a member or bit (".DN", ".3") stays readable.
                                 Elided(operand, style_.operandFont, r.width() - 4 * s, Qt::ElideMiddle));
            }
            if (s >= kDescriptionScale) {
                const QString description = ToQString(lookup_.Description(e.operands[0]));
                if (!description.isEmpty()) {
                    painter.setFont(style_.descriptionFont);
                    painter.setPen(style_.description);
                    // Two lines at most; a longer description ends with an ellipsis.
                    const QRectF area(r.left() + 3 * s, wireY + 14 * s, r.width() - 6 * s, 26 * s);
                    const QFontMetricsF fm(style_.descriptionFont);
                    if (fm.horizontalAdvance(description) <= area.width()) {
                        painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop, description);
                    } else {
                        const QStringList words = description.split(QLatin1Char(' '), Qt::SkipEmptyParts);
                        QString first;
                        int used = 0;
                        for (; used < words.size(); ++used) {
                            const QString next = first.isEmpty() ? words[used] : first + QLatin1Char(' ') + words[used];
                            if (!first.isEmpty() && fm.horizontalAdvance(next) > area.width()) break;
                            first = next;
                        }
                        const QString rest = QStringList(words.mid(used)).join(QLatin1Char(' '));
                        const double lineH = area.height() / 2;
                        painter.drawText(QRectF(area.left(), area.top(), area.width(), lineH), Qt::AlignHCenter | Qt::AlignTop,
                                         Elided(first, style_.descriptionFont, area.width()));
                        if (!rest.isEmpty())
                            painter.drawText(QRectF(area.left(), area.top() + lineH, area.width(), lineH),
                                             Qt::AlignHCenter | Qt::AlignTop, Elided(rest, style_.descriptionFont, area.width()));
                    }
                }
            }
            break;
        }
        case ElementShape::Box: {
            const QRectF box(r.left() + 10 * s, r.top() + 6 * s, r.width() - 20 * s, r.height() - 12 * s);
            PaintWire(painter, QRectF(r.left(), wireY - symbolH / 2, 10 * s, symbolH), WireColor(p.in));
            PaintWire(painter, QRectF(box.right(), wireY - symbolH / 2, r.right() - box.right(), symbolH), WireColor(p.out));
            const QColor frame = power ? WireColor(p.in) : style_.ink;
            PaintBoxFrame(painter, box, M::kBoxHeader * s, frame, style_.boxFill, style_.boxHeader);
            if (s >= kOperandScale) PaintBoxText(painter, e, box);
            break;
        }
    }
    // The insertion point: the next instruction goes right after the selection.
    if (marks.showSelection && &e == marks.selected && e.kind != kKindRung) {
        const double w = std::max(2.0, 3 * s);
        painter.fillRect(QRectF(r.right() - w, wireY - 9 * s, w, 18 * s), style_.selection);
    }
}

void LadderRenderer::PaintBoxText(QPainter& painter, const CElement& e, const QRectF& box) const {
    const double s = scale_;
    const double pad = 5 * s;
    painter.setFont(style_.captionFont);
    painter.setPen(style_.operand);
    const QString mnemonic = ToQString(e.mnemonic);
    const QRectF header(box.left() + pad, box.top(), box.width() - 2 * pad, M::kBoxHeader * s);
    painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter, mnemonic);
    if (s >= kDescriptionScale && !e.description.empty()) {
        const double mw = QFontMetricsF(style_.captionFont).horizontalAdvance(mnemonic) + 6 * s;
        painter.setFont(style_.descriptionFont);
        painter.setPen(style_.description);
        const QRectF rest = header.adjusted(mw, 0, 0, 0);
        painter.drawText(rest, Qt::AlignLeft | Qt::AlignVCenter,
                         Elided(ToQString(e.description), style_.descriptionFont, rest.width()));
    }
    const int lines = BoxLines(e);
    const bool timer = e.operandCount == 1 && lines == 3;  // Timer/Counter, "Preset", "Accum"
    const double labelW = (box.width() - 2 * pad) * 0.34;
    for (int i = 0; i < lines; ++i) {
        const double top = box.top() + (M::kBoxHeader + 2 + i * M::kBoxLine) * s;
        const QString label = ToQString(e.labels[static_cast<size_t>(i)]);
        QString value, description, live;
        bool showLive = false;
        if (i < e.operandCount) {
            const std::string& operand = e.operands[static_cast<size_t>(i)];
            value = ToQString(operand);
            description = ToQString(lookup_.Description(operand));
            showLive = live_ && e.valueRow[static_cast<size_t>(i)] == kValueRowValue && lookup_.Resolved(operand);
            if (showLive) live = ToQString(lookup_.LiveText(operand));
        } else if (timer) {
            // The timer's or counter's own preset and accumulated value.
            const std::string member = e.operands[0] + (i == 1 ? ".PRE" : ".ACC");
            if (live_) {
                value = ToQString(lookup_.LiveText(member));
            } else if (const CTag* tag = lookup_.Resolved(member)) {
                value = ToQString(tag->initialValue);
            }
        }
        const double x = box.left() + pad, w = box.width() - 2 * pad;
        painter.setFont(style_.descriptionFont);
        painter.setPen(style_.operand);
        if (!label.isEmpty()) painter.drawText(QRectF(x, top, labelW, 13 * s), Qt::AlignLeft | Qt::AlignVCenter, label);
        const double vx = label.isEmpty() ? x : x + labelW;
        const double vw = label.isEmpty() ? w : w - labelW;
        painter.setFont(style_.operandFont);
        painter.setPen(timer && i > 0 && live_ ? style_.liveValue : style_.operand);
        painter.drawText(QRectF(vx, top - 1 * s, vw, 15 * s), Qt::AlignRight | Qt::AlignVCenter,
                         Elided(value, style_.operandFont, vw));
        if (s >= kDescriptionScale && !description.isEmpty()) {
            painter.setFont(style_.descriptionFont);
            painter.setPen(style_.description);
            painter.drawText(QRectF(x, top + 13 * s, w, 12 * s), Qt::AlignRight | Qt::AlignVCenter,
                             Elided(description, style_.descriptionFont, w));
        }
        if (showLive) {
            painter.setFont(style_.descriptionFont);
            painter.setPen(style_.liveValue);
            painter.drawText(QRectF(x, top + 24 * s, w, 12 * s), Qt::AlignRight | Qt::AlignVCenter, live);
        }
    }
}

}  // namespace pontra::gui
