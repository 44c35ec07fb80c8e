#include "platform/Messages.h"

#include <cstdio>

namespace vorin {
namespace {

// Without windows there is nobody to click: messages go to standard error and
// a question is answered No, the answer that changes nothing.
class StandardErrorMessages final : public Messages
{
public:
    void showError(std::string_view message) override { print("Error", message); }
    void showSilentError(std::string_view message) override { print("Error", message); }
    void showInfo(std::string_view message) override { print("Information", message); }
    Answer confirm(std::string_view message) override
    {
        print("Question", message);
        return Answer::No;
    }

private:
    static void print(const char *title, std::string_view message)
    {
        std::fprintf(stderr, "%s: %.*s\n", title, static_cast<int>(message.size()), message.data());
    }
};

StandardErrorMessages g_fallback;
Messages *g_installed = nullptr;

} // namespace

Messages &messages()
{
    return g_installed ? *g_installed : g_fallback;
}

Messages *installMessages(Messages *m)
{
    Messages *previous = g_installed;
    g_installed = m;
    return previous;
}

} // namespace vorin
