#include "model/QMPerson.h"
#include "platform/contacts/CNFormatters.h"
#include "platform/contacts/CNLabels.h"

#include <benchmark/benchmark.h>

namespace {

// A card as files usually hold them: a name, a company, a few labeled values.
CNContact typicalContact(int i) {
    CNContact c;
    c.givenName = QStringLiteral("Given%1").arg(i);
    c.familyName = QStringLiteral("Family%1").arg(i);
    c.organizationName = QStringLiteral("Company %1").arg(i % 100);
    c.phoneNumbers = {
        {CNLabelHome, CNPhoneNumber(QStringLiteral("03-1234-%1").arg(i % 10000))},
        {CNLabelPhoneNumberMobile, CNPhoneNumber(QStringLiteral("090-5555-%1").arg(i % 10000))}};
    c.emailAddresses = {{CNLabelWork, QStringLiteral("person%1@example.com").arg(i)}};
    CNPostalAddress address;
    address.street = QStringLiteral("%1 Main Street").arg(i);
    address.city = QStringLiteral("Springfield");
    address.state = QStringLiteral("IL");
    address.postalCode = QStringLiteral("62701");
    address.country = QStringLiteral("USA");
    address.isoCountryCode = QStringLiteral("us");
    c.postalAddresses = {{CNLabelHome, address}};
    return c;
}

} // namespace

// Reading a file makes one record per card and fills every cache: 100,000 cards must
// stay well inside the reader's budget.
static void BM_PersonFromContact(benchmark::State &state) {
    const CNContact contact = typicalContact(7);
    QMPerson::allIdentifiers(); // class set-up outside the loop
    QMPerson::addressFormatDict();
    for (auto _ : state)
        benchmark::DoNotOptimize(QMPerson(contact));
}
BENCHMARK(BM_PersonFromContact);

// Export rebuilds a contact from the caches for every card.
static void BM_ContactFromCache(benchmark::State &state) {
    QMPerson person(typicalContact(7));
    for (auto _ : state)
        benchmark::DoNotOptimize(person.contactFromCache());
}
BENCHMARK(BM_ContactFromCache);

// The row threads read these for every row.
static void BM_RowReads(benchmark::State &state) {
    QMPerson person(typicalContact(7));
    for (auto _ : state) {
        benchmark::DoNotOptimize(person.compositeName());
        benchmark::DoNotOptimize(person.labeledValueForIdentifier(FieldId::Phone, qsizetype(1)));
        benchmark::DoNotOptimize(person.stringValueForIdentifier(FieldId::Company));
        benchmark::DoNotOptimize(person.thumbnail());
    }
}
BENCHMARK(BM_RowReads);

static void BM_ContactsSettingsRead(benchmark::State &state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(CNContactsUserDefaults::sharedDefaults().countryCode());
        benchmark::DoNotOptimize(CNContactsUserDefaults::sharedDefaults().sortOrder());
    }
}
BENCHMARK(BM_ContactsSettingsRead);
