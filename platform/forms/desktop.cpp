#include "platform/forms/desktop.h"

#include "platform/forms/layer.h"

namespace forms {

bool Clipboard::setMetafilePicture(std::int32_t, std::int32_t, std::int32_t, std::string_view) { return false; }

void MemoryClipboard::clear() {
    picture_.reset();
    text_.clear();
    mimeType_.clear();
    data_.clear();
}

void MemoryClipboard::setText(std::string_view text) {
    clear();
    text_ = text;
}

void MemoryClipboard::setData(std::string_view mimeType, std::string_view bytes) {
    clear();
    mimeType_ = mimeType;
    data_ = bytes;
}

bool MemoryClipboard::setMetafilePicture(std::int32_t mappingMode, std::int32_t xExt, std::int32_t yExt,
                                         std::string_view wmfBytes) {
    if (refuseMetafiles) return false;
    clear();
    picture_ = MetafilePicture{mappingMode, xExt, yExt, std::string(wmfBytes)};
    return true;
}

bool RecordingDesktop::openUrl(std::string_view address, std::function<void()> failedLater) {
    openedUrls.emplace_back(address);
    if (succeed && failedLater) pendingFailures.push_back(std::move(failedLater));
    return succeed;
}

void RecordingDesktop::failPendingOpens() {
    std::vector<std::function<void()>> pending = std::move(pendingFailures);
    pendingFailures.clear();
    for (const std::function<void()>& failed : pending) failed();
}

bool RecordingDesktop::startDetached(std::string_view program, const std::vector<std::string>& arguments) {
    startedPrograms.push_back(Start{std::string(program), arguments});
    return succeed;
}

Clipboard& clipboard() {
    auto& c = detail::layer().clipboard;
    if (!c) c = std::make_shared<MemoryClipboard>();
    return *c;
}

Desktop& desktop() {
    auto& d = detail::layer().desktop;
    if (!d) d = std::make_shared<RecordingDesktop>();
    return *d;
}

std::shared_ptr<Clipboard> setClipboard(std::shared_ptr<Clipboard> service) {
    auto& c = detail::layer().clipboard;
    std::shared_ptr<Clipboard> previous = std::move(c);
    c = service ? std::move(service) : std::make_shared<MemoryClipboard>();
    return previous;
}

std::shared_ptr<Desktop> setDesktop(std::shared_ptr<Desktop> service) {
    auto& d = detail::layer().desktop;
    std::shared_ptr<Desktop> previous = std::move(d);
    d = service ? std::move(service) : std::make_shared<RecordingDesktop>();
    return previous;
}

}  // namespace forms
