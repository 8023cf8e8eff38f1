// The desktop services of the program: the system clipboard, opening an
// address with its default handler, starting a program detached.
#pragma once

#include "platform/forms/desktop.h"

namespace forms::qt {

class QtClipboard : public Clipboard {
public:
    void clear() override;
    void setText(std::string_view text) override;
    std::string text() const override;
    void setData(std::string_view mimeType, std::string_view bytes) override;
    // The metafile's bytes as "image/x-wmf" (no bitmap is offered).
    bool setMetafilePicture(std::int32_t mappingMode, std::int32_t xExt, std::int32_t yExt,
                            std::string_view wmfBytes) override;
};

class QtDesktop : public Desktop {
public:
    // A text with a scheme ("https://...", "file:...") is taken as a URL,
    // anything else as a local file path. The desktop's opener is watched
    // without waiting for it: when it ends without success within
    // kOpenerVerdictMs, `failedLater` is called from the event loop.
    using Desktop::openUrl;
    bool openUrl(std::string_view address, std::function<void()> failedLater) override;
    bool startDetached(std::string_view program, const std::vector<std::string>& arguments) override;

    // How long an opener is watched: one still running by then has handed
    // the address to a program (a viewer it runs in the foreground).
    static constexpr int kOpenerVerdictMs = 30000;
    // The openers started and not yet ended.
    static int runningOpeners();
};

}  // namespace forms::qt
