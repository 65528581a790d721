#include "json_lite.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace json {

namespace {

[[noreturn]] void type_error(const char* want) { throw std::runtime_error(std::string("json: value is not ") + want); }

}  // namespace

bool Value::as_bool() const {
    if (type_ != Type::boolean) type_error("a boolean");
    return bool_;
}

double Value::as_double() const {
    if (type_ != Type::number) type_error("a number");
    return number_;
}

long long Value::as_int() const {
    if (type_ != Type::number || !integral_) type_error("an integer");
    return integer_;
}

const std::string& Value::as_string() const {
    if (type_ != Type::string) type_error("a string");
    return string_;
}

const std::vector<Value>& Value::items() const {
    if (type_ != Type::array) type_error("an array");
    return array_;
}

const std::vector<std::pair<std::string, Value>>& Value::members() const {
    if (type_ != Type::object) type_error("an object");
    return object_;
}

const Value* Value::find(const std::string& name) const {
    for (const auto& m : members())
        if (m.first == name) return &m.second;
    return nullptr;
}

const Value& Value::at(const std::string& name) const {
    const Value* v = find(name);
    if (v == nullptr) throw std::runtime_error("json: no member \"" + name + "\"");
    return *v;
}

const Value& Value::operator[](std::size_t i) const {
    const auto& a = items();
    if (i >= a.size()) throw std::runtime_error("json: index out of range");
    return a[i];
}

std::size_t Value::size() const {
    if (type_ == Type::array) return array_.size();
    if (type_ == Type::object) return object_.size();
    type_error("an array or object");
}

class Parser {
public:
    explicit Parser(const std::string& text) : s_(text) {}

    Value document() {
        Value v = value();
        skip_space();
        if (pos_ != s_.size()) fail("text after the value");
        return v;
    }

private:
    const std::string& s_;
    std::size_t pos_ = 0;
    int depth_ = 0;

    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error("json: " + what + " at offset " + std::to_string(pos_));
    }

    void skip_space() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r'))
            ++pos_;
    }

    char peek() {
        skip_space();
        if (pos_ >= s_.size()) fail("unexpected end");
        return s_[pos_];
    }

    void expect(char c) {
        if (peek() != c) fail(std::string("expected '") + c + "'");
        ++pos_;
    }

    bool literal(const char* word) {
        const std::size_t n = std::char_traits<char>::length(word);
        if (s_.compare(pos_, n, word) != 0) return false;
        pos_ += n;
        return true;
    }

    Value value() {
        if (++depth_ > 200) fail("nesting too deep");
        Value v;
        const char c = peek();
        if (c == '{') {
            v.type_ = Value::Type::object;
            ++pos_;
            if (peek() == '}') {
                ++pos_;
            } else {
                for (;;) {
                    if (peek() != '"') fail("expected a member name");
                    std::string name = string();
                    expect(':');
                    v.object_.emplace_back(std::move(name), value());
                    if (peek() == ',') {
                        ++pos_;
                        continue;
                    }
                    expect('}');
                    break;
                }
            }
        } else if (c == '[') {
            v.type_ = Value::Type::array;
            ++pos_;
            if (peek() == ']') {
                ++pos_;
            } else {
                for (;;) {
                    v.array_.push_back(value());
                    if (peek() == ',') {
                        ++pos_;
                        continue;
                    }
                    expect(']');
                    break;
                }
            }
        } else if (c == '"') {
            v.type_ = Value::Type::string;
            v.string_ = string();
        } else if (literal("true")) {
            v.type_ = Value::Type::boolean;
            v.bool_ = true;
        } else if (literal("false")) {
            v.type_ = Value::Type::boolean;
        } else if (literal("null")) {
            v.type_ = Value::Type::null;
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            number(v);
        } else {
            fail("unexpected character");
        }
        --depth_;
        return v;
    }

    void number(Value& v) {
        const std::size_t start = pos_;
        if (s_[pos_] == '-') ++pos_;
        auto digits = [&]() {
            const std::size_t b = pos_;
            while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_;
            if (pos_ == b) fail("digit expected");
        };
        digits();
        bool integral = true;
        if (pos_ < s_.size() && s_[pos_] == '.') {
            ++pos_;
            digits();
            integral = false;
        }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
            digits();
            integral = false;
        }
        const std::string text = s_.substr(start, pos_ - start);
        v.type_ = Value::Type::number;
        v.number_ = std::strtod(text.c_str(), nullptr);
        if (integral && text.size() <= 18) {
            v.integral_ = true;
            v.integer_ = std::strtoll(text.c_str(), nullptr, 10);
        }
    }

    unsigned hex4() {
        if (pos_ + 4 > s_.size()) fail("short \\u escape");
        unsigned u = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = s_[pos_++];
            u <<= 4;
            if (c >= '0' && c <= '9')
                u |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                u |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                u |= static_cast<unsigned>(c - 'A' + 10);
            else
                fail("bad \\u escape");
        }
        return u;
    }

    static void put_utf8(std::string& out, unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    std::string string() {
        expect('"');
        std::string out;
        for (;;) {
            if (pos_ >= s_.size()) fail("unterminated string");
            const char c = s_[pos_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) fail("control character in string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= s_.size()) fail("unterminated escape");
            const char e = s_[pos_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    unsigned cp = hex4();
                    if (cp >= 0xD800 && cp < 0xDC00 && s_.compare(pos_, 2, "\\u") == 0) {
                        const std::size_t save = pos_;
                        pos_ += 2;
                        const unsigned lo = hex4();
                        if (lo >= 0xDC00 && lo < 0xE000)
                            cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                        else
                            pos_ = save;
                    }
                    put_utf8(out, cp);
                    break;
                }
                default:
                    fail("bad escape");
            }
        }
    }
};

Value parse(const std::string& text) { return Parser(text).document(); }

Value parse_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("json: cannot read " + path);
    std::ostringstream ss;
    ss << in.rdbuf();
    return parse(ss.str());
}

std::size_t for_each_wycheproof_test(const std::string& path,
                                     const std::function<void(const Value& group, const Value& test)>& fn) {
    const Value doc = parse_file(path);
    std::size_t count = 0;
    for (const Value& group : doc.at("testGroups").items()) {
        for (const Value& test : group.at("tests").items()) {
            fn(group, test);
            ++count;
        }
    }
    if (const Value* declared = doc.find("numberOfTests")) {
        if (declared->as_int() != static_cast<long long>(count))
            throw std::runtime_error("json: " + path + " declares " + std::to_string(declared->as_int()) +
                                     " tests but holds " + std::to_string(count));
    }
    return count;
}

}  // namespace json
