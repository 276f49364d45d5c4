#include "backends/x11/x11_connection.h"

#include <xcb/randr.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "backends/x11/x11_protocol_names.h"
#include "backends/x11/x11_reply.h"

namespace vantile {
namespace {

// A window that disappears while we work on it is part of normal life on a desktop.
constexpr std::uint8_t kBadWindow = 3;
constexpr std::uint8_t kBadDrawable = 9;

// Listeners that answer a batch by changing what they listen to could keep a drain going for
// ever; past this many batches the rest waits for the next drain.
constexpr int kMostBatchesPerDrain = 16;

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value));
    return text;
}

xcb_window_t rootOfScreen(xcb_connection_t* connection, int screenNumber) {
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (; it.rem > 0; --screenNumber, xcb_screen_next(&it)) {
        if (screenNumber == 0) {
            return it.data->root;
        }
    }
    return XCB_WINDOW_NONE;
}

} // namespace

std::unique_ptr<X11Connection> X11Connection::open(const char* display) {
    int screenNumber = 0;
    ConnectionPtr connection(xcb_connect(display, &screenNumber), &xcb_disconnect);
    if (!connection || xcb_connection_has_error(connection.get()) != 0) {
        return nullptr;
    }
    const xcb_window_t root = rootOfScreen(connection.get(), screenNumber);
    if (root == XCB_WINDOW_NONE) {
        return nullptr;
    }
    std::unique_ptr<X11Connection> result(new X11Connection(std::move(connection), root));
    result->setUpRandr();
    return result;
}

X11Connection::X11Connection(ConnectionPtr connection, xcb_window_t root)
    : connection_(std::move(connection)), root_(root) {}

X11Connection::~X11Connection() = default;

void X11Connection::setUpRandr() {
    const xcb_query_extension_reply_t* data = xcb_get_extension_data(raw(), &xcb_randr_id);
    if (data == nullptr || data->present == 0) {
        return;
    }
    registerExtension(xcb_randr_id, "RANDR", &randrRequestName, &randrErrorName);
    // The server holds back newer requests from clients that never announced their version.
    auto version =
        takeReply(*this, &xcb_randr_query_version_reply, xcb_randr_query_version(raw(), 1, 5));
    randrMonitors_ = version && (version->major_version > 1 ||
                                 (version->major_version == 1 && version->minor_version >= 5));
}

int X11Connection::fileDescriptor() const {
    return xcb_get_file_descriptor(raw());
}

bool X11Connection::hasFailed() const {
    return xcb_connection_has_error(raw()) != 0;
}

void X11Connection::flush() {
    xcb_flush(raw());
}

void X11Connection::drainEvents() {
    ++draining_;
    // Replies waited for while listeners answer a batch pull later events off the socket, which
    // will not announce them again: they make the next batch.
    for (int batch = 0; batch < kMostBatchesPerDrain && dispatchQueuedEvents(); ++batch) {
        notifyDrained();
    }
    --draining_;
}

void X11Connection::drainQueuedEvents() {
    noticed_ = false;
    xcb_generic_event_t* first = xcb_poll_for_queued_event(raw());
    if (first == nullptr) {
        return;
    }
    ++draining_;
    {
        ReplyPtr<xcb_generic_event_t> owned(first, &std::free);
        dispatch(*first);
    }
    dispatchQueuedEvents();
    notifyDrained();
    --draining_;
    drainEvents();
}

bool X11Connection::dispatchQueuedEvents() {
    bool any = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(raw())) {
        ReplyPtr<xcb_generic_event_t> owned(event, &std::free);
        any = true;
        dispatch(*event);
    }
    return any;
}

void X11Connection::dispatch(const xcb_generic_event_t& event) {
    if (event.response_type == 0) {
        handleError(reinterpret_cast<const xcb_generic_error_t&>(event));
        return;
    }
    for (const auto& listener : currentListeners()) {
        if (listener->active && listener->onEvent) {
            listener->onEvent(event);
        }
    }
}

void X11Connection::notifyDrained() {
    for (const auto& listener : currentListeners()) {
        if (listener->active && listener->onDrained) {
            listener->onDrained();
        }
    }
}

// A copy, so that listeners may come and go while they are called; one that has gone is marked
// inactive and skipped.
std::vector<std::shared_ptr<X11Connection::Listener>> X11Connection::currentListeners() const {
    std::vector<std::shared_ptr<Listener>> listeners;
    listeners.reserve(listeners_.size());
    for (const auto& [id, listener] : listeners_) {
        listeners.push_back(listener);
    }
    return listeners;
}

X11Connection::Subscription X11Connection::addEventHandler(EventHandler onEvent,
                                                           std::function<void()> onDrained) {
    const std::uint64_t id = nextListenerId_++;
    listeners_.emplace(
        id, std::make_shared<Listener>(Listener{std::move(onEvent), std::move(onDrained), true}));
    return Subscription(*this, id);
}

void X11Connection::removeListener(std::uint64_t id) {
    if (auto found = listeners_.find(id); found != listeners_.end()) {
        found->second->active = false;
        listeners_.erase(found);
    }
}

X11Connection::Subscription::Subscription(Subscription&& other) noexcept
    : connection_(std::exchange(other.connection_, nullptr)), id_(other.id_) {}

X11Connection::Subscription& X11Connection::Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        end();
        connection_ = std::exchange(other.connection_, nullptr);
        id_ = other.id_;
    }
    return *this;
}

X11Connection::Subscription::~Subscription() {
    end();
}

void X11Connection::Subscription::end() {
    if (connection_ != nullptr) {
        std::exchange(connection_, nullptr)->removeListener(id_);
    }
}

void X11Connection::handleError(const xcb_generic_error_t& error) {
    if (error.error_code == kBadWindow || error.error_code == kBadDrawable) {
        return;
    }
    ++unexpectedErrors_;
    std::fprintf(stderr, "vantile: %s\n", describeError(error).c_str());
    if (strictErrors_) {
        std::abort();
    }
}

void X11Connection::takeError(xcb_generic_error_t* error) {
    if (error != nullptr) {
        handleError(*error);
        std::free(error);
    }
}

void X11Connection::registerExtension(xcb_extension_t& extension, std::string name,
                                      MinorNames minorNames, ErrorNames errorNames) {
    const xcb_query_extension_reply_t* data = xcb_get_extension_data(raw(), &extension);
    if (data == nullptr || data->present == 0) {
        return;
    }
    extensions_.push_back(
        {std::move(name), data->major_opcode, data->first_error, minorNames, errorNames});
}

std::string X11Connection::describeError(const xcb_generic_error_t& error) const {
    return "X error " + errorName(error.error_code) + " (" + std::to_string(error.error_code) +
           ") in request " + requestName(error.major_code, error.minor_code) + " (major " +
           std::to_string(error.major_code) + ", minor " + std::to_string(error.minor_code) +
           "), resource " + hex(error.resource_id);
}

std::string X11Connection::requestName(std::uint8_t major, std::uint16_t minor) const {
    if (major < 128) {
        const std::string_view name = coreRequestName(major);
        return name.empty() ? "unknown" : std::string(name);
    }
    for (const Extension& extension : extensions_) {
        if (extension.majorOpcode != major) {
            continue;
        }
        const std::string_view name =
            extension.minorNames != nullptr ? extension.minorNames(minor) : std::string_view{};
        return extension.name + ":" +
               (name.empty() ? "minor " + std::to_string(minor) : std::string(name));
    }
    return "extension " + std::to_string(major) + ":minor " + std::to_string(minor);
}

std::string X11Connection::errorName(std::uint8_t code) const {
    if (const std::string_view name = coreErrorName(code); !name.empty()) {
        return std::string(name);
    }
    for (const Extension& extension : extensions_) {
        if (extension.errorNames == nullptr || code < extension.firstError) {
            continue;
        }
        const auto offset = static_cast<std::uint8_t>(code - extension.firstError);
        if (const std::string_view name = extension.errorNames(offset); !name.empty()) {
            return extension.name + ":" + std::string(name);
        }
    }
    return "error";
}

xcb_atom_t X11Connection::atom(std::string_view name) {
    if (auto found = atoms_.find(name); found != atoms_.end()) {
        return found->second;
    }
    internAtoms(std::span(&name, 1));
    auto found = atoms_.find(name);
    return found != atoms_.end() ? found->second : xcb_atom_t{XCB_ATOM_NONE};
}

void X11Connection::internAtoms(std::span<const std::string_view> names) {
    std::vector<std::pair<std::string_view, Pending<&xcb_intern_atom_reply>>> requests;
    for (std::string_view name : names) {
        if (!atoms_.contains(name)) {
            requests.emplace_back(
                name, Pending<&xcb_intern_atom_reply>(
                          *this, xcb_intern_atom(raw(), 0, static_cast<std::uint16_t>(name.size()),
                                                 name.data())));
        }
    }
    for (auto& [name, request] : requests) {
        if (auto reply = request.get()) {
            atoms_.emplace(std::string(name), reply->atom);
            atomNames_.emplace(reply->atom, std::string(name));
        }
    }
}

std::vector<std::string> X11Connection::atomNames(std::span<const xcb_atom_t> atoms) {
    std::vector<std::pair<xcb_atom_t, Pending<&xcb_get_atom_name_reply>>> requests;
    for (xcb_atom_t atom : atoms) {
        if (atom != XCB_ATOM_NONE && !atomNames_.contains(atom)) {
            requests.emplace_back(
                atom, Pending<&xcb_get_atom_name_reply>(*this, xcb_get_atom_name(raw(), atom)));
        }
    }
    for (auto& [atom, request] : requests) {
        if (auto reply = request.get()) {
            atomNames_[atom] = std::string(xcb_get_atom_name_name(reply.get()),
                                           xcb_get_atom_name_name_length(reply.get()));
        }
    }
    std::vector<std::string> names;
    names.reserve(atoms.size());
    for (xcb_atom_t atom : atoms) {
        auto found = atomNames_.find(atom);
        names.push_back(found != atomNames_.end() ? found->second : std::string());
    }
    return names;
}

} // namespace vantile
