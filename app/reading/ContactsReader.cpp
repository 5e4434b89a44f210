#include "app/reading/ContactsReader.h"

#include <mutex>

namespace tessarin {

namespace {
std::mutex sharedMutex;
std::shared_ptr<ContactsReader> sharedReader;
} // namespace

ContactsReader::Ptr ContactsReader::shared() {
    std::lock_guard lock(sharedMutex);
    return sharedReader;
}

void ContactsReader::setShared(Ptr reader) {
    std::lock_guard lock(sharedMutex);
    sharedReader = std::move(reader);
}

} // namespace tessarin
