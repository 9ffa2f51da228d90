#include "model/PackStream.h"

#include "model/JsonRead.h"

#include <array>
#include <optional>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

namespace tc {

namespace {

using nlohmann::json;

// Where the parser is: the open objects and arrays from the top level inward, with each object's current
// member (and whether its value has begun) and each array's element count. A packed sound's audio is the
// "data" member of an element of the top level's "sounds" array.
class Position {
public:
    // A value of any kind begins at the current place (an element of an array is counted).
    void beginValue() {
        if (levels_.empty()) {
            return;
        }
        Level &level = levels_.back();
        if (level.object) {
            level.awaitingValue = false;
        } else {
            ++level.elements;
        }
    }
    void open(bool object) {
        beginValue();
        levels_.push_back({object, {}, false, 0});
    }
    void close() { levels_.pop_back(); }
    void key(std::string name) {
        if (levels_.size() == 1 && name == "sounds") {
            ++soundsMembers_;
        }
        levels_.back().key = std::move(name);
        levels_.back().awaitingValue = true;
    }

    // Directly inside an element of the top level's "sounds" array: the element's index.
    std::optional<std::size_t> soundIndex() const {
        if (levels_.size() != 3 || !levels_[0].object || levels_[0].key != "sounds" || levels_[1].object ||
            !levels_[2].object) {
            return std::nullopt;
        }
        return levels_[1].elements - 1;
    }
    // The value about to begin is a sound's "data": the sound's index.
    std::optional<std::size_t> soundDataIndex() const {
        const auto index = soundIndex();
        return index && levels_[2].key == "data" && levels_[2].awaitingValue ? index : std::nullopt;
    }
    std::size_t soundsMembers() const { return soundsMembers_; }

private:
    struct Level {
        bool object = false;
        std::string key;            // objects: the member being read
        bool awaitingValue = false; // objects: the member's name is read, its value not yet begun
        std::size_t elements = 0;   // arrays: elements begun so far
    };
    std::vector<Level> levels_;
    std::size_t soundsMembers_ = 0;
};

[[noreturn]] void failData(std::size_t index, std::string_view problem) {
    const JsonPath root;
    const JsonPath sounds = root.member("sounds");
    const JsonPath sound = sounds.index(index);
    jsonread::fail(sound.member("data"), problem);
}

// base64::decode for a text that arrives a character at a time: the same strict rules, the bytes handed on in
// pieces as they are made (or not at all), and decodedSize() as base64::decodedSize gives it for the whole text.
class Base64Stream {
public:
    using Output = std::function<void(const std::uint8_t *, std::size_t)>;

    void restart(Output output) {
        output_ = std::move(output);
        have_ = 0;
        chars_ = 0;
        trailing_ = 0;
        valid_ = true;
        filled_ = 0;
    }
    void feed(unsigned char c) {
        ++chars_;
        trailing_ = c == '=' ? trailing_ + 1 : 0;
        if (!valid_) {
            return;
        }
        if (have_ == 4) {
            group(false); // another character follows: that group was not the last
        }
        pending_[have_++] = c;
    }
    // Ends the text; whether it was strict base64.
    bool finish() {
        if (chars_ % 4 != 0) {
            valid_ = false;
        } else if (valid_ && have_ == 4) {
            group(true);
        }
        flush();
        return valid_;
    }
    std::size_t decodedSize() const {
        const std::size_t size = (chars_ + 3) / 4 * 3;
        const std::size_t padding = std::min<std::size_t>(trailing_, 2);
        return size >= padding ? size - padding : 0;
    }

private:
    void group(bool last) {
        have_ = 0;
        const int padding = last ? (pending_[3] == '=') + (pending_[2] == '=' && pending_[3] == '=') : 0;
        std::uint32_t bits = 0;
        for (int k = 0; k < 4; ++k) {
            const int value = k < 4 - padding ? base64::kValues[pending_[k]] : 0;
            if (value < 0) {
                valid_ = false; // also a "=" anywhere but the end
                return;
            }
            bits = (bits << 6) | static_cast<std::uint32_t>(value);
        }
        const std::uint32_t unused = padding == 2 ? 0xFFFFu : padding == 1 ? 0xFFu : 0u;
        if ((bits & unused) != 0) {
            valid_ = false;
            return;
        }
        emit(static_cast<std::uint8_t>(bits >> 16));
        if (padding < 2) {
            emit(static_cast<std::uint8_t>(bits >> 8));
        }
        if (padding < 1) {
            emit(static_cast<std::uint8_t>(bits));
        }
    }
    void emit(std::uint8_t byte) {
        if (!output_) {
            return;
        }
        buffer_[filled_++] = byte;
        if (filled_ == buffer_.size()) {
            flush();
        }
    }
    void flush() {
        if (output_ && valid_ && filled_ > 0) {
            output_(buffer_.data(), filled_);
        }
        filled_ = 0;
    }

    Output output_;
    std::array<unsigned char, 4> pending_{};
    int have_ = 0;
    std::size_t chars_ = 0;
    std::size_t trailing_ = 0; // "=" at the end so far
    bool valid_ = true;
    std::array<std::uint8_t, 64 * 1024> buffer_{};
    std::size_t filled_ = 0;
};

// The pack's text as the JSON reader sees it, with each sound's "data" string emptied: its characters (escapes
// resolved) go to a Base64Stream instead, as the reader reaches them. The reader takes one character at a time,
// so the position it has reported is where the next character lies: a string that begins while the position
// awaits a sound's "data" is that data.
class DataDiverter final : public std::streambuf {
public:
    // `start(index)` is called as a sound's data begins and gives where its bytes go (nothing: nowhere).
    DataDiverter(std::streambuf &source, const Position &position, Base64Stream &decoder,
                 std::function<Base64Stream::Output(std::size_t index)> start)
        : source_(source), position_(position), decoder_(decoder), start_(std::move(start)) {}

protected:
    int_type underflow() override {
        if (closing_) {
            closing_ = false;
            return deliver('"');
        }
        const int_type c = source_.sbumpc();
        if (c == traits_type::eof()) {
            return c;
        }
        if (c == '"') {
            if (const auto index = position_.soundDataIndex()) {
                divert(*index);
                closing_ = true; // the reader sees ""
            }
        }
        return deliver(c);
    }

private:
    int_type deliver(int_type c) {
        current_ = traits_type::to_char_type(c);
        setg(&current_, &current_, &current_ + 1);
        return c;
    }
    int_type next(std::size_t index) {
        const int_type c = source_.sbumpc();
        if (c == traits_type::eof()) {
            failData(index, "the text ends inside the string");
        }
        return c;
    }
    // Reads the string's characters up to its closing quote into the decoder.
    void divert(std::size_t index) {
        decoder_.restart(start_(index));
        for (;;) {
            int_type c = next(index);
            if (c == '"') {
                return;
            }
            if (c < 0x20) {
                failData(index, "a control character in the string");
            }
            if (c == '\\') {
                c = escaped(index);
            }
            decoder_.feed(static_cast<unsigned char>(c));
        }
    }
    // The character an escape stands for; any that is not ASCII counts as a character base64 lacks.
    int_type escaped(std::size_t index) {
        const int_type e = next(index);
        switch (e) {
        case '"':
        case '\\':
        case '/':
            return e;
        case 'b':
            return '\b';
        case 'f':
            return '\f';
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
        case 'u': {
            int code = 0;
            for (int i = 0; i < 4; ++i) {
                const int_type h = next(index);
                const int digit = h >= '0' && h <= '9'   ? h - '0'
                                  : h >= 'a' && h <= 'f' ? h - 'a' + 10
                                  : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                         : -1;
                if (digit < 0) {
                    failData(index, "a broken \\u escape in the string");
                }
                code = code * 16 + digit;
            }
            return code < 0x80 ? code : 0xFF;
        }
        default:
            failData(index, "a broken escape in the string");
        }
    }

    std::streambuf &source_;
    const Position &position_;
    Base64Stream &decoder_;
    std::function<Base64Stream::Output(std::size_t)> start_;
    char current_ = 0;
    bool closing_ = false;
};

// What both passes do with the reader's events besides their own work: turn a parse error into decodePack's
// DecodeError.
class PackEvents {
public:
    bool parse_error(std::size_t, const std::string &, const nlohmann::detail::exception &error) {
        throw DecodeError({}, std::string("not a valid JSON document: ") + error.what());
    }

protected:
    Position position_;
    Base64Stream decoder_;
};

// The first pass: the JSON tree of the whole text, with every sound's "data" checked and left empty.
class OutlineBuilder : public PackEvents {
public:
    explicit OutlineBuilder(std::size_t maxSoundBytes) : maxSoundBytes_(maxSoundBytes) {}

    std::streambuf *reading(std::streambuf &source) {
        diverter_.emplace(source, position_, decoder_, [](std::size_t) { return Base64Stream::Output(); });
        return &*diverter_;
    }

    bool null() { return put(json(nullptr)); }
    bool boolean(bool value) { return put(json(value)); }
    bool number_integer(json::number_integer_t value) { return put(json(value)); }
    bool number_unsigned(json::number_unsigned_t value) { return put(json(value)); }
    bool number_float(json::number_float_t value, const std::string &) { return put(json(value)); }
    bool binary(json::binary_t &value) { return put(json::binary(std::move(value))); }
    bool string(std::string &value) {
        if (const auto index = position_.soundDataIndex()) {
            // The diverter has read it: the checks of decodePack, in its order.
            const bool valid = decoder_.finish();
            if (decoder_.decodedSize() > maxSoundBytes_) {
                failData(*index, "the sound is larger than a packed sound may be");
            }
            if (!valid) {
                failData(*index, "not valid base64");
            }
        }
        return put(json(std::move(value)));
    }
    bool start_object(std::size_t) { return open(json::object(), true); }
    bool start_array(std::size_t) { return open(json::array(), false); }
    bool key(std::string &name) {
        position_.key(name);
        keys_.back() = std::move(name);
        return true;
    }
    bool end_object() { return close(); }
    bool end_array() { return close(); }

    json take() { return std::move(root_); }
    std::size_t soundsMembers() const { return position_.soundsMembers(); }

private:
    // Places a value where the reader is: the top level, the next element of an array, or the current member of
    // an object (a later member of the same name replaces an earlier one, as json::parse does). Returns it.
    json &place(json value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return root_;
        }
        json &parent = *open_.back();
        if (parent.is_array()) {
            parent.push_back(std::move(value));
            return parent.back();
        }
        json &member = parent[keys_.back()];
        member = std::move(value);
        return member;
    }
    bool put(json value) {
        position_.beginValue();
        place(std::move(value));
        return true;
    }
    bool open(json container, bool object) {
        position_.open(object);
        open_.push_back(&place(std::move(container)));
        keys_.emplace_back();
        return true;
    }
    bool close() {
        position_.close();
        open_.pop_back();
        keys_.pop_back();
        return true;
    }

    std::size_t maxSoundBytes_;
    std::optional<DataDiverter> diverter_;
    json root_;
    std::vector<json *> open_; // the open containers; a parent never grows while a child is open
    std::vector<std::string> keys_;
};

// The second pass: the audio of the wanted sounds, written to the sink as it is read.
class SoundReader : public PackEvents {
public:
    SoundReader(std::size_t soundsMembers, const std::function<bool(std::size_t)> &wanted, const PackSoundSink &sink,
                std::size_t maxSoundBytes)
        : soundsMembers_(soundsMembers), wanted_(wanted), sink_(sink), maxSoundBytes_(maxSoundBytes) {}

    std::streambuf *reading(std::streambuf &source) {
        diverter_.emplace(source, position_, decoder_, [this](std::size_t index) { return start(index); });
        return &*diverter_;
    }

    bool null() { return scalar(); }
    bool boolean(bool) { return scalar(); }
    bool number_integer(json::number_integer_t) { return scalar(); }
    bool number_unsigned(json::number_unsigned_t) { return scalar(); }
    bool number_float(json::number_float_t, const std::string &) { return scalar(); }
    bool binary(json::binary_t &) { return scalar(); }
    bool string(std::string &) {
        if (const auto index = position_.soundDataIndex(); index && writing_ == index) {
            // Checked in the first pass: a failure now means the file changed meanwhile.
            if (!decoder_.finish() || decoder_.decodedSize() > maxSoundBytes_) {
                failData(*index, "the sound changed since the pack was first read");
            }
        }
        return scalar();
    }
    bool start_object(std::size_t) {
        position_.open(true);
        return true;
    }
    bool start_array(std::size_t) {
        position_.open(false);
        return true;
    }
    bool key(std::string &name) {
        position_.key(std::move(name));
        return true;
    }
    bool end_object() {
        const auto index = position_.soundIndex();
        position_.close();
        if (index && writing_ == index) {
            writing_.reset();
            sink_.end(*index);
        }
        return true;
    }
    bool end_array() {
        position_.close();
        return true;
    }

private:
    Base64Stream::Output start(std::size_t index) {
        // Only in the "sounds" member that decodePack keeps: the last one.
        if (position_.soundsMembers() != soundsMembers_ || !wanted_(index)) {
            return {};
        }
        writing_ = index;
        sink_.begin(index);
        written_ = 0;
        return [this, index](const std::uint8_t *bytes, std::size_t size) {
            written_ += size;
            if (written_ > maxSoundBytes_) {
                failData(index, "the sound changed since the pack was first read");
            }
            sink_.write(bytes, size);
        };
    }
    bool scalar() {
        position_.beginValue();
        return true;
    }

    std::size_t soundsMembers_;
    const std::function<bool(std::size_t)> &wanted_;
    const PackSoundSink &sink_;
    std::size_t maxSoundBytes_;
    std::optional<DataDiverter> diverter_;
    std::optional<std::size_t> writing_; // the sound whose audio goes to the sink
    std::size_t written_ = 0;
};

} // namespace

PackOutline readPackOutline(std::istream &in, std::size_t maxSoundBytes) {
    OutlineBuilder builder(maxSoundBytes);
    std::istream text(builder.reading(*in.rdbuf()));
    json::sax_parse(text, &builder);
    PackOutline outline;
    outline.soundsMembers = builder.soundsMembers();
    outline.pack = decodePackTree(builder.take(), maxSoundBytes);
    return outline;
}

void readPackSounds(std::istream &in, const PackOutline &outline, const std::function<bool(std::size_t)> &wanted,
                    const PackSoundSink &sink, std::size_t maxSoundBytes) {
    SoundReader reader(outline.soundsMembers, wanted, sink, maxSoundBytes);
    std::istream text(reader.reading(*in.rdbuf()));
    json::sax_parse(text, &reader);
}

} // namespace tc
