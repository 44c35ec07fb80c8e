#pragma once

#include <string>
#include <string_view>

namespace vorin {

enum class Answer { Yes, No, Cancel };

// The one seam through which the program shows a modal box. The windows
// install the Qt boxes; tests install a RecordingMessages so that nothing ever
// waits for a click.
class Messages
{
public:
    virtual ~Messages() = default;
    // Exclamation sound, box titled "Error", one "OK" button.
    virtual void showError(std::string_view message) = 0;
    // The same box as showError, but without the sound: for "Can't open drive "
    // in the middle of a run, which the user sees on the window anyway.
    virtual void showSilentError(std::string_view message) = 0;
    // Box titled "Information", one "OK" button, no sound.
    virtual void showInfo(std::string_view message) = 0;
    // Buttons Yes, No and Cancel; only Yes goes on.
    [[nodiscard]] virtual Answer confirm(std::string_view message) = 0;
};

// The installed seam; until one is installed, messages go to standard error and
// confirmations answer No, so a tool without windows never blocks.
Messages &messages();
// Installs m (not owned) and returns the one it replaces.
Messages *installMessages(Messages *m);

inline void showError(std::string_view message)
{
    messages().showError(message);
}
inline void showSilentError(std::string_view message)
{
    messages().showSilentError(message);
}
inline void showInfo(std::string_view message)
{
    messages().showInfo(message);
}
[[nodiscard]] inline Answer confirm(std::string_view message)
{
    return messages().confirm(message);
}

} // namespace vorin
