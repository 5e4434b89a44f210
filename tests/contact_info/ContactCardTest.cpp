#include "contact_info/ContactCard.h"
#include "contact_info/ContactInfoController.h"
#include "tests/contact_info/ContactInfoTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QDomDocument>
#include <QFile>
#include <QTextBlock>
#include <QTextFragment>

#include <gtest/gtest.h>

namespace {

class ContactCardTest : public ::testing::Test {
protected:
    // The filled card of the shipped template, parsed back.
    QDomDocument card(const ContactEntry *contact) {
        const auto page = ContactCard::makeContactHTML(contact, ContactCard::TemplatePath);
        EXPECT_TRUE(page);
        lastPage = page.value_or(ContactCardPage());
        QDomDocument document;
        EXPECT_TRUE(document.setContent(lastPage.html));
        return document;
    }
    static QDomElement byId(const QDomDocument &document, const QString &id) {
        return ContactCard::getElementById(document.documentElement(), id);
    }
    static QString textOf(const QDomDocument &document, const QString &id) {
        return byId(document, id).text();
    }
    static QString styleOf(const QDomDocument &document, const QString &id) {
        return byId(document, id).attribute("style", "(none)");
    }
    static QString writeTemplate(const QString &name, const QByteArray &text) {
        const QString path = testScratchDirectory() + u'/' + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }
    ContactCardPage lastPage;
};

TEST_F(ContactCardTest, ShippedTemplateHoldsEveryElementTheCardFills) {
    QDomDocument document;
    ASSERT_TRUE(document.setContent(QFile::exists(ContactCard::TemplatePath)
                                        ? [] {
                                              QFile file(ContactCard::TemplatePath);
                                              file.open(QIODevice::ReadOnly);
                                              return file.readAll();
                                          }()
                                        : QByteArray()));
    const QDomElement body = document.documentElement().firstChildElement("body");
    ASSERT_FALSE(body.isNull());
    for (const char *id :
         {"Compositename", "ContactImage", "Company", "Department", "JobTitle",      "Nickname",
          "Birthday",      "Suffix",       "Title",   "Name",       "Phonetic Name", "NoteArea",
          "Home-Email",    "Work-Email",   "Email",   "Home-Phone", "Work-Phone",    "Phone",
          "Home-SNS",      "Work-SNS",     "SNS",     "Home-IMS",   "Work-IMS",      "IMS",
          "Home-Address",  "Work-Address", "Address", "Dates",      "Relationship"})
        EXPECT_FALSE(ContactCard::getElementById(body, id).isNull()) << id;
    EXPECT_FALSE(ContactCard::getElementById(ContactCard::getElementById(body, "NoteArea"), "Note").isNull());
    EXPECT_EQ(ContactCard::getElementById(body, "ContactImage").tagName(), "img");
    EXPECT_FALSE(QString::fromUtf8(document.toByteArray()).contains("script", Qt::CaseInsensitive));
}

TEST_F(ContactCardTest, EmptyValuesShowPlaceholdersInGrayAndValuesTheirStyle) {
    ContactEntry bare = entryFromVCard(vcard("N:Solo;Han;;;\nFN:Han Solo\n"));
    QDomDocument empty = card(&bare);
    EXPECT_EQ(textOf(empty, "Company"), "Company");
    EXPECT_EQ(styleOf(empty, "Company"), "color:#aaaaaa;");
    EXPECT_EQ(textOf(empty, "Birthday"), "Birthday");
    EXPECT_EQ(styleOf(empty, "Birthday"), "color:#aaaaaa;");
    EXPECT_EQ(textOf(empty, "Note"), "Note");
    EXPECT_EQ(textOf(empty, "Work-Phone"), "Work Phone");
    EXPECT_EQ(styleOf(empty, "Work-Phone"), "color:#aaaaaa;");
    EXPECT_EQ(byId(empty, "Phone").elementsByTagName("p").size(), 0);
    EXPECT_EQ(byId(empty, "ContactImage").attribute("src"), "icon_standard.png");

    ContactEntry full = fullContact();
    QDomDocument filled = card(&full);
    EXPECT_EQ(textOf(filled, "Company"), "Acme Corporation");
    EXPECT_EQ(styleOf(filled, "Company"), "(none)");
    EXPECT_EQ(textOf(filled, "Department"), "Research");
    EXPECT_EQ(textOf(filled, "JobTitle"), "Chief Tester");
    EXPECT_EQ(textOf(filled, "Birthday"), full.person->birthdayValue()->stringValue);
    EXPECT_EQ(styleOf(filled, "Birthday"), "color:#000000;");
    EXPECT_EQ(textOf(filled, "Suffix"), "Jr.");
    EXPECT_EQ(styleOf(filled, "Title"), "color:#000000;");
    EXPECT_EQ(textOf(filled, "Note"), "First line\nSecond line\nThird line");
    EXPECT_EQ(textOf(filled, "Compositename"), full.person->compositeName());
    EXPECT_EQ(textOf(filled, "Phonetic Name"), full.person->phoneticNameValue()->stringValue);
}

TEST_F(ContactCardTest, TheLastHomeValueFillsTheHomeSlotAndTheListHoldsEveryValue) {
    ContactEntry full = fullContact();
    QDomDocument document = card(&full);
    EXPECT_EQ(textOf(document, "Home-Email"), "johnny@home.example");
    EXPECT_EQ(styleOf(document, "Home-Email"), "color:#000000;");
    EXPECT_EQ(textOf(document, "Work-Email"), "john@work.example");
    const QDomNodeList entries = byId(document, "Email").elementsByTagName("p");
    ASSERT_EQ(entries.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(entries.at(i).toElement().attribute("class"), "textfield");
    EXPECT_EQ(entries.at(0).firstChildElement("cite").text(), "home");
    EXPECT_EQ(entries.at(0).toElement().text(), QString("home") + QChar(0x00A0) + "john@home.example");
    EXPECT_EQ(entries.at(1).toElement().text(), QString("home") + QChar(0x00A0) + "johnny@home.example");
    // Instant messages and social profiles keep to their own slots.
    EXPECT_EQ(textOf(document, "Work-IMS"), full.person->imsValues().first().stringValue);
    EXPECT_EQ(textOf(document, "Work-SNS"), "Work Social Network");
    EXPECT_EQ(byId(document, "SNS").elementsByTagName("p").size(), 1);
    EXPECT_EQ(byId(document, "Dates").elementsByTagName("p").size(), 1);
    EXPECT_EQ(byId(document, "Relationship").elementsByTagName("p").size(), 1);
    EXPECT_EQ(byId(document, "Address").elementsByTagName("p").size(), 2);
}

TEST_F(ContactCardTest, PicturesComeFromMemoryUnderFixedNames) {
    ContactEntry full = fullContact();
    QDomDocument document = card(&full);
    EXPECT_EQ(byId(document, "ContactImage").attribute("src"), ContactCard::PhotoName);
    ASSERT_TRUE(lastPage.images.contains(ContactCard::PhotoName));
    EXPECT_EQ(lastPage.images.value(ContactCard::PhotoName), full.person->thumbnail());
    EXPECT_FALSE(lastPage.images.value(ContactCard::CompanyPicture).isNull());
    // A large photo comes at the card's size, not whole.
    QImage large(1200, 600, QImage::Format_RGB32);
    large.fill(Qt::darkGreen);
    full.person->setPhoto(large);
    card(&full);
    EXPECT_EQ(lastPage.images.value(ContactCard::PhotoName).size(),
              QSize(ContactCard::PhotoSide, ContactCard::PhotoSide / 2));

    ContactEntry company = entryFromVCard(vcard("FN:Acme\nORG:Acme\nX-ABShowAs:COMPANY\n"));
    EXPECT_EQ(byId(card(&company), "ContactImage").attribute("src"), ContactCard::CompanyPicture);
}

TEST_F(ContactCardTest, WithoutAContactTheCardShowsItsPlaceholders) {
    QDomDocument document = card(nullptr);
    EXPECT_EQ(textOf(document, "Compositename"), "No Name");
    EXPECT_EQ(byId(document, "ContactImage").attribute("src"), "icon_company.png");
    for (const char *id : {"Home-Email", "Work-Phone", "Home-SNS", "Work-IMS", "Home-Address"}) {
        EXPECT_EQ(textOf(document, id), QMPerson::titleForKey(id));
        EXPECT_FALSE(textOf(document, id).contains(QLatin1Char('-')));
        EXPECT_EQ(styleOf(document, id), "color:#aaaaaa;");
    }
    EXPECT_EQ(textOf(document, "Nickname"), "Nickname");
}

TEST_F(ContactCardTest, MarkupInContactDataIsShownAsText) {
    const QString name = QStringLiteral("<b>x</b> & \"y\"");
    ContactEntry entry = entryFromVCard(vcard("FN:Plain\n"));
    NameRecord record;
    record.firstName = name;
    entry.person->setNameValue(FieldValue(record), FieldId::Name);
    entry.person->setValue(FieldValue(QStringLiteral("<img src=\"http://example.invalid/x.png\"/>")),
                           FieldId::Note);
    const auto page = ContactCard::makeContactHTML(&entry, ContactCard::TemplatePath);
    ASSERT_TRUE(page);
    EXPECT_FALSE(page->html.contains("<b>x</b>"));
    EXPECT_TRUE(page->html.contains("&lt;b>x&lt;/b> &amp; \"y\"") ||
                page->html.contains("&lt;b&gt;x&lt;/b&gt;"));

    ContactCardView view;
    view.showPage(*page);
    EXPECT_TRUE(view.toPlainText().contains(name));
    EXPECT_TRUE(view.toPlainText().contains("<img src="));
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            // Markup taken as markup would make "x" a fragment of its own.
            EXPECT_NE(it.fragment().text(), "x");
            EXPECT_FALSE(it.fragment().charFormat().isImageFormat() &&
                         it.fragment().charFormat().toImageFormat().name().startsWith("http"));
        }
    }
    // Nothing outside memory is loaded.
    EXPECT_FALSE(
        view.loadResource(QTextDocument::ImageResource, QUrl("http://example.invalid/x.png")).isValid());
    EXPECT_FALSE(view.loadResource(QTextDocument::ImageResource, QUrl("file:///etc/hostname")).isValid());
    EXPECT_FALSE(view.loadResource(QTextDocument::ImageResource, QUrl("../icon_company.png")).isValid());
    EXPECT_TRUE(view.loadResource(QTextDocument::ImageResource, QUrl("icon_mail.png")).isValid());
}

TEST_F(ContactCardTest, MissingIdsAreSkippedAndBrokenTemplatesGiveNothing) {
    const QString partial = writeTemplate(
        "partial.html",
        "<html><body><p id=\"Company\">x</p><div><span id=\"Home-Phone\"/></div></body></html>");
    ContactEntry full = fullContact();
    const auto page = ContactCard::makeContactHTML(&full, partial);
    ASSERT_TRUE(page);
    QDomDocument document;
    ASSERT_TRUE(document.setContent(page->html));
    EXPECT_EQ(textOf(document, "Company"), "Acme Corporation");
    EXPECT_EQ(textOf(document, "Home-Phone"), full.person->phoneValues().first().stringValue);
    // Empty elements are written open and closed, which rich text reads right.
    EXPECT_FALSE(page->html.contains("/>"));

    const QString noBody = writeTemplate("nobody.html", "<html><div id=\"Company\">x</div></html>");
    const auto unfilled = ContactCard::makeContactHTML(&full, noBody);
    ASSERT_TRUE(unfilled);
    EXPECT_TRUE(unfilled->html.contains(">x<"));

    const QString broken =
        writeTemplate("broken.html", "<html><body><br><p id=\"Company\">x</p></body></html>");
    EXPECT_FALSE(ContactCard::makeContactHTML(&full, broken));
    EXPECT_FALSE(ContactCard::makeContactHTML(&full, testScratchDirectory() + "/missing.html"));
}

TEST_F(ContactCardTest, ElementSearchIsDepthFirstAndTestsTheGivenElementFirst) {
    QDomDocument document;
    ASSERT_TRUE(document.setContent(QByteArray("<a id=\"k\" class=\"c d\"><b><c id=\"k2\" class=\"c\"/></b>"
                                               "<d id=\"k2\"/></a>")));
    const QDomElement root = document.documentElement();
    EXPECT_EQ(ContactCard::getElementById(root, "k").tagName(), "a");
    EXPECT_EQ(ContactCard::getElementById(root, "k2").tagName(), "c");
    EXPECT_TRUE(ContactCard::getElementById(root, "K").isNull());
    EXPECT_EQ(ContactCard::getElementByClass(root, "c").tagName(), "c");
    EXPECT_EQ(ContactCard::getElementByClass(root, "c d").tagName(), "a");
    EXPECT_TRUE(ContactCard::getElementById(QDomElement(), "k").isNull());
}

} // namespace
