// SPDX-License-Identifier: GPL-3.0-or-later
// make-help: the user guide's Markdown chapters (every *.md of a folder, in file-name
// order) as one A4 PDF with a title page, a contents list and page numbers. Run at build
// time; needs only Qt Gui on the offscreen platform.
//   make-help GUIDE_FOLDER OUT.pdf VERSION
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QAbstractTextDocumentLayout>

#include <cstdio>

namespace {

struct Chapter {
    QString title;
    int page = 0;
};

int Fail(const QString& message) {
    std::fprintf(stderr, "make-help: %s\n", qPrintable(message));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 4) return Fail("usage: make-help GUIDE_FOLDER OUT.pdf VERSION");
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString version = QString::fromLocal8Bit(argv[3]);

    const QStringList files = QDir(folder).entryList({"*.md"}, QDir::Files, QDir::Name);
    if (files.isEmpty()) return Fail("no chapters (*.md) in " + folder);
    QString markdown;
    for (const QString& name : files) {
        QFile file(QDir(folder).filePath(name));
        if (!file.open(QIODevice::ReadOnly)) return Fail("cannot read " + file.fileName());
        markdown += QString::fromUtf8(file.readAll()) + "\n\n";
    }

    QPdfWriter writer(output);
    writer.setTitle("Pontra User Guide");
    writer.setCreator("Pontra make-help");
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 18, 20, 20),
                                     QPageLayout::Millimeter));
    const QRectF page = writer.pageLayout().paintRectPixels(writer.resolution());
    const double footer = writer.resolution() * 0.35;  // room for the page number
    const QSizeF body(page.width(), page.height() - footer);

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&writer);
    document.setDefaultFont(QFont("DejaVu Sans", 10));
    document.setPageSize(body);
    document.setMarkdown(markdown);

    // Room around tables and above headings; every chapter (a first-level heading) starts a
    // page, and the contents list names its page.
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame)) {
            QTextTableFormat format = table->format();
            format.setCellPadding(4);
            format.setCellSpacing(0);
            format.setBorderCollapse(true);
            format.setBorderBrush(Qt::gray);
            format.setTopMargin(6 * writer.resolution() / 72.0);
            format.setBottomMargin(6 * writer.resolution() / 72.0);
            table->setFormat(format);
        }
    }
    QList<Chapter> chapters;
    bool first = true;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level == 0) continue;
        QTextCursor cursor(block);
        QTextBlockFormat format;
        format.setTopMargin((level == 1 ? 0 : 10) * writer.resolution() / 72.0);
        format.setBottomMargin(4 * writer.resolution() / 72.0);
        if (level == 1 && !first) format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        cursor.mergeBlockFormat(format);
        if (level != 1) continue;
        first = false;
        chapters.push_back({block.text(), 0});
    }
    int index = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() != 1) continue;
        const double top = document.documentLayout()->blockBoundingRect(block).top();
        chapters[index++].page = 2 + static_cast<int>(top / body.height());  // page 1 is the title page
    }
    const int pages = 1 + document.pageCount();

    QPainter painter(&writer);
    if (!painter.isActive()) return Fail("cannot write " + output);
    const double pt = writer.resolution() / 72.0;
    auto pageNumber = [&](int number) {
        painter.setFont(QFont("DejaVu Sans", 8));
        painter.setPen(Qt::darkGray);
        painter.drawText(QRectF(0, page.height() - footer * 0.8, page.width(), footer * 0.8),
                         Qt::AlignRight | Qt::AlignBottom,
                         QString("Pontra %1 User Guide \u2014 page %2 of %3").arg(version).arg(number).arg(pages));
    };

    // Title page and contents.
    painter.setPen(Qt::black);
    painter.setFont(QFont("DejaVu Sans", 28, QFont::Bold));
    double y = page.height() * 0.12;
    painter.drawText(QRectF(0, y, page.width(), 40 * pt), Qt::AlignLeft, "Pontra User Guide");
    y += 44 * pt;
    painter.setFont(QFont("DejaVu Sans", 12));
    painter.drawText(QRectF(0, y, page.width(), 20 * pt), Qt::AlignLeft,
                     "Version " + version + " \u2014 programming Vessa zone-control modules");
    y += 50 * pt;
    painter.setFont(QFont("DejaVu Sans", 14, QFont::Bold));
    painter.drawText(QRectF(0, y, page.width(), 20 * pt), Qt::AlignLeft, "Contents");
    y += 26 * pt;
    painter.setFont(QFont("DejaVu Sans", 11));
    for (const Chapter& chapter : chapters) {
        painter.drawText(QRectF(0, y, page.width() * 0.85, 16 * pt), Qt::AlignLeft, chapter.title);
        painter.drawText(QRectF(0, y, page.width(), 16 * pt), Qt::AlignRight, QString::number(chapter.page));
        y += 18 * pt;
    }
    pageNumber(1);

    for (int i = 0; i < document.pageCount(); ++i) {
        writer.newPage();
        painter.save();
        painter.translate(0, -i * body.height());
        const QRectF view(0, i * body.height(), body.width(), body.height());
        painter.setClipRect(view);
        document.drawContents(&painter, view);
        painter.restore();
        pageNumber(i + 2);
    }
    painter.end();
    std::printf("make-help: %lld chapters, %d pages: %s\n", static_cast<long long>(chapters.size()), pages,
                qPrintable(output));
    return 0;
}
