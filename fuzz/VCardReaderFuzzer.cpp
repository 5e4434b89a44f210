#include "fuzz/FuzzerSetup.h"
#include "platform/contacts/CNContactVCardSerialization.h"

#include <cstdint>
#include <cstdlib>

// Reads any bytes as vCard; whatever is read must write out and read back as the same
// number of contacts.
extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    setUpFuzzer();
    return 0;
}

// The writer turns every line break into \n, as vCard 3.0 has no other.
static QString lineBreaksAsLf(QString text) {
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const QList<CNContact> contacts = CNContactVCardSerialization::contactsWithData(input, &error);
    if (contacts.isEmpty())
        return 0;
    const QByteArray written = CNContactVCardSerialization::dataWithContacts(contacts);
    const QList<CNContact> again = CNContactVCardSerialization::contactsWithData(written, &error);
    if (again.size() != contacts.size())
        std::abort();
    for (qsizetype i = 0; i < again.size(); ++i)
        if (again[i].givenName != lineBreaksAsLf(contacts[i].givenName) ||
            again[i].phoneNumbers.size() != contacts[i].phoneNumbers.size())
            std::abort();
    return 0;
}
