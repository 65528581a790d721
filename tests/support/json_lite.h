// A small JSON reader for test-vector files: objects, arrays, strings (with
// \u escapes, written out as UTF-8), numbers, booleans and null. Errors throw
// std::runtime_error with the offset of the fault.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace json {

class Value {
public:
    enum class Type { null, boolean, number, string, array, object };

    Type type() const { return type_; }
    bool is(Type t) const { return type_ == t; }

    // Typed access; each throws when the value has another type.
    bool as_bool() const;
    double as_double() const;
    // The number as an integer; throws unless it is one (no fraction or exponent).
    long long as_int() const;
    const std::string& as_string() const;
    const std::vector<Value>& items() const;                            // array
    const std::vector<std::pair<std::string, Value>>& members() const;  // object, in file order

    // Object member by name: find gives null when absent, at throws.
    const Value* find(const std::string& name) const;
    const Value& at(const std::string& name) const;
    const Value& operator[](const std::string& name) const { return at(name); }
    // Array element.
    const Value& operator[](std::size_t i) const;
    std::size_t size() const;  // elements of an array or members of an object

private:
    friend class Parser;
    Type type_ = Type::null;
    bool bool_ = false;
    double number_ = 0;
    bool integral_ = false;
    long long integer_ = 0;
    std::string string_;
    std::vector<Value> array_;
    std::vector<std::pair<std::string, Value>> object_;
};

// Parses a whole document (white space around it allowed, nothing else).
Value parse(const std::string& text);
// Parses a file; throws when it cannot be read.
Value parse_file(const std::string& path);

// A Wycheproof file: calls fn(group, test) for every test of every group in
// order and returns the number of tests, which it checks against the file's
// "numberOfTests" when that is present.
std::size_t for_each_wycheproof_test(const std::string& path,
                                     const std::function<void(const Value& group, const Value& test)>& fn);

}  // namespace json
