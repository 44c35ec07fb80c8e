#include "platform/History.h"

#include "platform/posix/FreedesktopTrash.h"

namespace vorin {

std::string defaultHistoryPath()
{
    // The data home of the base directory rules, which the trash uses too.
    const std::string data = FreedesktopTrash::userDataHome();
    return data.empty() ? std::string() : data + "/vorin99/history.sqlite";
}

} // namespace vorin
