#include "tests/app/DetailPanelTestSupport.h"
#include "tests/app/Driving.h"

#include "platform/ui/Pasteboard.h"
#include "platform/ui/TableRowDragDrop.h"

#include <QBuffer>
#include <QDropEvent>
#include <QMimeData>
#include <QTableView>

namespace tessarin {
using namespace window_test;

namespace {

// Two values in every labeled field and a text in every text field; no photo.
const QString TargetCards = QStringLiteral(
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Target;Tia;Tess;Dr.;Jr.\r\nFN:Dr. Tia Tess Target Jr.\r\nNICKNAME:Ti\r\n"
    "ORG:Tia Works;Testing\r\nTITLE:Tester\r\nX-MAIDENNAME:Old\r\nX-PHONETIC-FIRST-NAME:Tiya\r\n"
    "X-PHONETIC-MIDDLE-NAME:Tesu\r\nX-PHONETIC-LAST-NAME:Taagetto\r\nTEL;type=HOME:100\r\nTEL;type=WORK:101\r\n"
    "EMAIL;type=HOME:t1@t.example\r\nEMAIL;type=WORK:t2@t.example\r\nURL;type=HOME:t1.example\r\n"
    "URL;type=WORK:t2.example\r\nADR;type=HOME:;;1 Main;Springfield;IL;62701;USA\r\n"
    "ADR;type=WORK:;;2 Side;Portland;OR;97201;USA\r\nIMPP;X-SERVICE-TYPE=Skype;type=HOME:skype:tia.home\r\n"
    "IMPP;X-SERVICE-TYPE=Skype;type=WORK:skype:tia.work\r\n"
    "X-SOCIALPROFILE;type=twitter;x-user=tia:https://twitter.com/tia\r\n"
    "X-SOCIALPROFILE;type=facebook;x-user=tiaf:https://facebook.com/tiaf\r\n"
    "item1.X-ABRELATEDNAMES:Tom\r\nitem1.X-ABLabel:_$!<Spouse>!$_\r\n"
    "item2.X-ABRELATEDNAMES:Tim\r\nitem2.X-ABLabel:_$!<Brother>!$_\r\n"
    "item3.X-ABDATE:2005-06-07\r\nitem3.X-ABLabel:_$!<Anniversary>!$_\r\n"
    "item4.X-ABDATE:2010-01-02\r\nitem4.X-ABLabel:_$!<Other>!$_\r\nBDAY:1980-04-05\r\n"
    "X-PAGER;TYPE=home:555 0100\r\nX-PAGER;TYPE=work:555 0101\r\nX-HOBBY:Chess\r\nNOTE:tia note\r\n"
    "CATEGORIES:Team\r\nEND:VCARD\r\n");

// Another file's contact with other values in every field, and a photo.
QString sourceCards() {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(QColor(0x20, 0x80, 0xc0));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return QStringLiteral(
               "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Source;Sam;Seth;Prof.;Sr.\r\nFN:Prof. Sam Seth Source Sr.\r\n"
               "NICKNAME:Sammy\r\nORG:Sam Shop;Selling\r\nTITLE:Seller\r\nX-MAIDENNAME:Older\r\n"
               "X-PHONETIC-FIRST-NAME:Samu\r\nX-PHONETIC-MIDDLE-NAME:Sesu\r\nX-PHONETIC-LAST-NAME:Soosu\r\n"
               "TEL;type=CELL:200\r\nTEL;type=MAIN:201\r\nEMAIL;type=WORK:s1@s.example\r\n"
               "EMAIL;type=HOME:s2@s.example\r\nURL;type=WORK:s1.example\r\nURL;type=HOME:s2.example\r\n"
               "ADR;type=WORK:;;3 Oak;Salem;OR;97301;USA\r\nADR;type=HOME:;;4 Elm;Eugene;OR;97401;USA\r\n"
               "IMPP;X-SERVICE-TYPE=Jabber;type=WORK:xmpp:sam@work.example\r\n"
               "IMPP;X-SERVICE-TYPE=Jabber;type=HOME:xmpp:sam@home.example\r\n"
               "X-SOCIALPROFILE;type=twitter;x-user=sam:https://twitter.com/sam\r\n"
               "X-SOCIALPROFILE;type=flickr;x-user=samf:https://flickr.com/samf\r\n"
               "item1.X-ABRELATEDNAMES:Sue\r\nitem1.X-ABLabel:_$!<Sister>!$_\r\n"
               "item2.X-ABRELATEDNAMES:Sid\r\nitem2.X-ABLabel:_$!<Father>!$_\r\n"
               "item3.X-ABDATE:2001-02-03\r\nitem3.X-ABLabel:_$!<Other>!$_\r\n"
               "item4.X-ABDATE:2002-03-04\r\nitem4.X-ABLabel:_$!<Anniversary>!$_\r\nBDAY:1975-12-24\r\n"
               "X-PAGER;TYPE=work:555 0200\r\nX-PAGER;TYPE=home:555 0201\r\nX-HOBBY:Go\r\nNOTE:sam note\r\n"
               "PHOTO;ENCODING=b;TYPE=PNG:") +
           QString::fromLatin1(png.toBase64()) + QStringLiteral("\r\nEND:VCARD\r\n");
}

// A field of a contact as the tests compare it: the name's parts, the photo's size and
// colour, the birthday, each labeled value as "label:text", a text.
QStringList fieldText(QMPerson &person, const QString &type) {
    const FieldValue value = person.valueForIdentifier(type);
    if (type == FieldId::Name) {
        const NameRecord name = person.nameValue();
        return {name.firstName, name.middleName, name.lastName, name.previousFamilyName};
    }
    if (type == FieldId::PhoneticName) {
        const PhoneticNameRecord phonetic = person.phoneticNameValue().value_or(PhoneticNameRecord());
        return {phonetic.firstName, phonetic.middleName, phonetic.lastName};
    }
    if (type == FieldId::Photo) {
        const QImage photo = person.photo();
        return {photo.isNull() ? QStringLiteral("none")
                               : QStringLiteral("%1x%2 %3").arg(photo.width()).arg(photo.height()).arg(
                                     photo.pixel(0, 0), 0, 16)};
    }
    if (type == FieldId::Birthday)
        return {person.birthdayValue().value_or(BirthdayRecord()).stringValue};
    if (const auto *list = value.get<LabeledValueList>()) {
        QStringList values;
        for (const LabeledValueRecord &record : *list)
            values << record.labelText() + QLatin1Char(':') + record.stringValue;
        return values;
    }
    return {value.text()};
}

class DetailRowDropTest : public DetailPanelWindowTest {
protected:
    ContactInfoController *sourcePanel = nullptr;
    ContactsViewController *sourceTable = nullptr;
    int sourceSecondRow = -1; // Sam's table row of his second values

    void SetUp() override {
        WindowTest::SetUp();
        TestDocument *source = open(sourceCards(), QStringLiteral("Source.vcf"));
        source->controller->window()->resize(1200, 1000);
        source->controller->splitButtons()->press(1);
        sourcePanel = content(source)->contactInfoController();
        sourceTable = content(source)->contactsViewController();
        sourceTable->selectRowIndexes({0});
        for (size_t r = 0; r < sourceTable->subContactTable().size(); ++r)
            if (sourceTable->subContactTable()[r]->labelIndex == 1)
                sourceSecondRow = int(r);
        openWithPanel(TargetCards, QSize(1200, 1000));
        view->contactsViewController()->selectRowIndexes({0});
        QCoreApplication::processEvents();
        ASSERT_EQ(sourcePanel->contact()->person->nameValue().firstName, QStringLiteral("Sam"));
        ASSERT_EQ(panel->contact()->person->nameValue().firstName, QStringLiteral("Tia"));
        ASSERT_GE(sourceSecondRow, 0);
    }

    QMPerson &target() const { return *panel->contact()->person; }
    QMPerson &source() const { return *sourcePanel->contact()->person; }
    QStringList types() const {
        QStringList all;
        for (const InfoTableRow &row : panel->table())
            if (!all.contains(row.type))
                all << row.type;
        return all;
    }
    QMap<QString, QStringList> state() const {
        QMap<QString, QStringList> fields;
        for (const QString &type : types())
            fields.insert(type, fieldText(target(), type));
        return fields;
    }
    QWidget *feedback() const {
        return panel->tableView()->viewport()->findChild<QWidget *>(QStringLiteral("tableRowDropFeedback"));
    }

    // The drag a row starts, as a receiver reads it; none when the row starts no drag.
    template <typename Owner> static std::unique_ptr<QMimeData> drag(Owner &owner, int row) {
        auto pasteboard = Pasteboard::forDragging();
        if (!owner.tableViewWriteRowsWithIndexes({row}, *pasteboard))
            return nullptr;
        return std::unique_ptr<QMimeData>(pasteboard->takeMimeData());
    }

    // Brings the drag over the row of the panel (onto it, or above it at its top edge) at the
    // widget under the pointer, as a drag arrives, and lets it go there; without a place to
    // land, or when not let go, it leaves. Whether the drop was taken; the drop frame shows
    // while the drag may land, and is gone once it has ended.
    bool dropOnRow(const QMimeData &data, int row, bool above, bool letGo = true) {
        QTableView *table = panel->tableView();
        const QModelIndex index = table->model()->index(row, 1);
        table->scrollTo(index);
        QCoreApplication::processEvents();
        const QRect cell = table->visualRect(index);
        const QPoint at(cell.center().x(), above ? cell.top() + 1 : cell.center().y());
        QWidget *under = table->viewport();
        while (QWidget *child = under->childAt(under->mapFrom(table->viewport(), at)))
            under = child;
        const QPoint point = under->mapFrom(table->viewport(), at);
        QDragEnterEvent enter(point, EveryDropOperation, &data, Qt::LeftButton, {});
        QApplication::sendEvent(under, &enter);
        QDragMoveEvent move(point, EveryDropOperation, &data, Qt::LeftButton, {});
        QApplication::sendEvent(under, &move);
        EXPECT_EQ(feedback() && feedback()->isVisible(), move.isAccepted());
        bool taken = false;
        if (move.isAccepted() && letGo) {
            QDropEvent drop(QPointF(point), EveryDropOperation, &data, Qt::LeftButton, {});
            QApplication::sendEvent(under, &drop);
            taken = drop.isAccepted();
        } else {
            QDragLeaveEvent leave;
            QApplication::sendEvent(under, &leave);
        }
        QCoreApplication::processEvents();
        EXPECT_FALSE(feedback() && feedback()->isVisible());
        return taken;
    }
};

// A row of another contact, dragged from another window's detail panel or contacts table,
// dropped on each kind of row gives that row the dragged value (a name part its part, a
// labeled value replaced on its row or put in above it, the photo, the birthday, a text),
// changes nothing else and is undone in one step; the rows of no value refuse it.
TEST_F(DetailRowDropTest, AnotherContactsRowDroppedOnEveryKindOfRowGivesItsValue) {
    const QStringList refused = {FieldId::Groups, FieldId::NameOrdering, FieldId::NameDisplay};
    QStringList kinds = types();
    for (const QString &type : refused + QStringList{FieldId::Photo, QStringLiteral("PAGER"), QStringLiteral("HOBBY")})
        ASSERT_TRUE(kinds.contains(type)) << type.toStdString();
    const int drops = int(panel->table().size());
    for (int r = 0; r < drops; ++r) {
        const InfoTableRow row = panel->table().at(r);
        const bool labeled = row.index.has_value();
        const bool namePart = row.type == FieldId::Name || row.type == FieldId::PhoneticName;
        // On a labeled field's first value, and above its second.
        if (labeled && *row.index > 1)
            continue;
        const bool above = labeled && *row.index == 1;
        // From the source's panel, its row of the same part or its second value; from its table, the
        // row of its second values.
        int sourceRow = -1;
        for (int s = 0; s < sourcePanel->table().size() && sourceRow < 0; ++s) {
            const InfoTableRow &candidate = sourcePanel->table().at(s);
            if (candidate.type == row.type && (!namePart || candidate.label == row.label) &&
                (!labeled || candidate.index == 1))
                sourceRow = s;
        }
        for (const bool fromTable : {false, true}) {
            SCOPED_TRACE(QStringLiteral("%1 %2 %3, from the %4")
                             .arg(row.type, row.label.value_or(QString()), above ? QStringLiteral("above")
                                                                                 : QStringLiteral("on"),
                                  fromTable ? QStringLiteral("table") : QStringLiteral("panel"))
                             .toStdString());
            const std::unique_ptr<QMimeData> data =
                fromTable ? drag(*sourceTable, sourceSecondRow) : drag(*sourcePanel, sourceRow);
            if (!data) {
                // Only the rows that show no value start no drag.
                EXPECT_TRUE(refused.contains(row.type));
                continue;
            }
            const QMap<QString, QStringList> before = state();
            QMap<QString, QStringList> expected = before;
            QStringList &field = expected[row.type];
            const QStringList dropped = fieldText(source(), row.type);
            if (namePart)
                field[*row.labelIndex] = dropped.value(*row.labelIndex);
            else if (above)
                field.insert(*row.index, dropped.value(1));
            else if (labeled)
                field[*row.index] = dropped.value(1);
            else
                field = dropped;
            const bool taken = dropOnRow(*data, r, above);
            EXPECT_EQ(taken, !refused.contains(row.type));
            EXPECT_EQ(state(), taken ? expected : before);
            EXPECT_EQ(undoManager()->canUndo(), taken);
            if (!undoManager()->canUndo())
                continue;
            ASSERT_TRUE(pickMenuItem(window()->mainMenu(), QStringLiteral("Edit"), QStringLiteral("Undo")));
            EXPECT_EQ(state(), before);
            EXPECT_FALSE(undoManager()->canUndo());
        }
    }
}

// A picture of another program over the Photo row is framed; the frame goes when the drag
// leaves, when the picture is dropped (and becomes the photo), and when a picture that
// cannot be read is refused.
TEST_F(DetailRowDropTest, ThePhotoRowsDropFrameGoesWhenTheDragEnds) {
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkRed);
    QMimeData image;
    image.setImageData(picture);
    QMimeData unreadable;
    unreadable.setData(QStringLiteral("image/png"), "no picture");
    const int photo = rowOf(FieldId::Photo);
    const QStringList none = fieldText(target(), FieldId::Photo);
    EXPECT_FALSE(dropOnRow(image, photo, false, false));
    EXPECT_EQ(fieldText(target(), FieldId::Photo), none);
    EXPECT_FALSE(dropOnRow(unreadable, photo, false));
    EXPECT_EQ(fieldText(target(), FieldId::Photo), none);
    EXPECT_TRUE(dropOnRow(image, photo, false));
    EXPECT_EQ(fieldText(target(), FieldId::Photo), QStringList{QStringLiteral("64x48 ff800000")});
    ASSERT_TRUE(pickMenuItem(window()->mainMenu(), QStringLiteral("Edit"), QStringLiteral("Undo")));
    EXPECT_EQ(fieldText(target(), FieldId::Photo), none);
}

} // namespace
} // namespace tessarin
