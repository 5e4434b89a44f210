// Not a test: prints a contacts file to a PDF in one style, for looking at the pages.
//   print_demo FILE OUT.pdf [labels|envelope] [vertical] [updown] [preview] [noframe] [font=F] [vfont=F]
//   [items=Phone,Email] [paper=A4]
//              [box=X,Y,W,H] [columns=Name,Phone,Address] [label=W,H,HGAP,VGAP]
// Rows are the table's rows for the columns given, Name and Address by default (one row per
// address).
#include "print/PrintView.h"
#include "tests/print/demo/DemoSupport.h"

#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>

#include <cstdio>

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: print_demo FILE OUT.pdf [labels|envelope] [vertical] [updown] [preview] "
                             "[noframe] [font=F] "
                             "[vfont=F] [items=Phone,Email] [paper=A4] [box=X,Y,W,H] [columns=Name,Address] "
                             "[label=W,H,HGAP,VGAP]\n");
        return 2;
    }
    QStringList columns = {FieldId::Name, FieldId::Address};
    for (const QString &arg : args.mid(3))
        if (arg.startsWith(QLatin1String("columns=")))
            columns = arg.mid(8).split(u',');
    const auto rows = rowsOfFile(args[1], columns);
    if (!rows)
        return 1;

    auto options = std::make_shared<PrintOptions>(PrintOptions::createPrintOptions());
    QPageSize paper(QPageSize::A4);
    bool preview = false;
    for (const QString &arg : args.mid(3)) {
        if (arg == QLatin1String("labels"))
            options->printStyle = PrintStyle::MailingLabels;
        else if (arg == QLatin1String("envelope"))
            options->printStyle = PrintStyle::Envelope;
        else if (arg == QLatin1String("vertical"))
            options->mailingLabels.printVertical = options->envelope.printVertical = true;
        else if (arg == QLatin1String("updown"))
            options->envelope.textDirection = TextDirection::UpDown;
        else if (arg.startsWith(QLatin1String("font=")))
            options->fontName = arg.mid(5);
        else if (arg.startsWith(QLatin1String("vfont=")))
            options->mailingLabels.verticalFontName = options->envelope.verticalFontName = arg.mid(6);
        else if (arg == QLatin1String("noframe"))
            options->mailingLabels.printFrame = options->envelope.printFrame = false;
        else if (arg == QLatin1String("preview"))
            preview = true;
        else if (arg.startsWith(QLatin1String("items=")))
            options->addressList.updateItemTable(arg.mid(6).split(u','));
        else if (arg.startsWith(QLatin1String("label="))) {
            const QStringList lengths = arg.mid(6).split(u',');
            MailingLabelsOptions &labels = options->mailingLabels;
            labels.labelWidth = lengths.value(0).toDouble();
            labels.labelHeight = lengths.value(1).toDouble();
            labels.hGap = lengths.value(2, QStringLiteral("0")).toDouble();
            labels.vGap = lengths.value(3, QStringLiteral("0")).toDouble();
        } else if (arg.startsWith(QLatin1String("box=")))
            options->envelope.textRectDict.insert(paper.key(), rectFromString(arg.mid(4)));
        else if (arg.startsWith(QLatin1String("paper=")))
            for (int id = 0; id <= QPageSize::LastPageSize; ++id)
                if (QPageSize::key(QPageSize::PageSizeId(id)) == arg.mid(6))
                    paper = QPageSize(QPageSize::PageSizeId(id));
    }
    options->mailingLabels.keishou = options->envelope.keishou = QStringLiteral("様");
    options->addressList.printFrame = true;

    QPdfWriter writer(args[2]);
    writer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait, QMarginsF(18, 18, 18, 18), QPageLayout::Point));
    PrintView view(*rows, options, writer.pageLayout());
    view.setPrinting(!preview);
    if (!view.print(writer))
        return 1;
    std::printf("%d pages\n", view.pageCount(writer));
    return 0;
}
