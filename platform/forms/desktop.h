// The desktop services a dialog reaches for: the clipboard, opening an
// address with the system's default handler, and starting a program without
// waiting for it. The program installs the Qt ones (forms/qt); the
// recording stand-ins serve headless and let tests see what was asked.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace forms {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void clear() = 0;
    virtual void setText(std::string_view text) = 0;
    virtual std::string text() const = 0;
    // Data of a MIME type ("image/png", "image/svg+xml", ...).
    virtual void setData(std::string_view mimeType, std::string_view bytes) = 0;
    // A metafile picture: the picture record's mapping mode and extents
    // (0.01 mm; negative: proportions only) and the metafile's bytes (WMF
    // without a placeable header). True when the clipboard took it; this
    // clipboard takes none.
    virtual bool setMetafilePicture(std::int32_t mappingMode, std::int32_t xExt, std::int32_t yExt,
                                    std::string_view wmfBytes);
};

class Desktop {
public:
    virtual ~Desktop() = default;
    // Opens an address (a URL, or a file path) with its default handler;
    // false when it could not be opened at once. The desktop's opener may
    // find out only later that no program takes the address: `failedLater`
    // is then called on the UI thread, once, after this has returned true.
    virtual bool openUrl(std::string_view address, std::function<void()> failedLater) = 0;
    bool openUrl(std::string_view address) { return openUrl(address, nullptr); }
    // Starts a program and does not wait for it; false when it could not
    // be started.
    virtual bool startDetached(std::string_view program, const std::vector<std::string>& arguments) = 0;
};

// Headless clipboard: keeps what was put on it.
class MemoryClipboard : public Clipboard {
public:
    void clear() override;
    void setText(std::string_view text) override;
    std::string text() const override { return text_; }
    void setData(std::string_view mimeType, std::string_view bytes) override;
    // Keeps the picture record's values and the bytes, unless refuseMetafiles.
    bool setMetafilePicture(std::int32_t mappingMode, std::int32_t xExt, std::int32_t yExt,
                            std::string_view wmfBytes) override;
    const std::string& mimeType() const { return mimeType_; }
    const std::string& data() const { return data_; }

    struct MetafilePicture {
        std::int32_t mappingMode = 0;
        std::int32_t xExt = 0;
        std::int32_t yExt = 0;
        std::string bytes;
    };
    // The picture on the clipboard, if any.
    const std::optional<MetafilePicture>& metafilePicture() const { return picture_; }
    bool refuseMetafiles = false;

private:
    std::optional<MetafilePicture> picture_;
    std::string text_;
    std::string mimeType_;
    std::string data_;
};

// Headless desktop: records every request and answers with `succeed`.
class RecordingDesktop : public Desktop {
public:
    struct Start {
        std::string program;
        std::vector<std::string> arguments;
    };
    using Desktop::openUrl;
    bool openUrl(std::string_view address, std::function<void()> failedLater) override;
    bool startDetached(std::string_view program, const std::vector<std::string>& arguments) override;
    // The opener's late verdict: calls and forgets every `failedLater`
    // handed over by a request that succeeded.
    void failPendingOpens();

    std::vector<std::string> openedUrls;
    std::vector<std::function<void()>> pendingFailures;
    std::vector<Start> startedPrograms;
    bool succeed = true;
};

Clipboard& clipboard();
Desktop& desktop();
// Install a service (nullptr: a fresh headless one); return the previous.
std::shared_ptr<Clipboard> setClipboard(std::shared_ptr<Clipboard> service);
std::shared_ptr<Desktop> setDesktop(std::shared_ptr<Desktop> service);

}  // namespace forms
