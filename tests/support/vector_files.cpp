#include "vector_files.h"

#include <fstream>
#include <stdexcept>

#include "test_util.h"

namespace tv {

namespace {

std::string trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

}  // namespace

const std::string& Record::get(const std::string& name) const {
    auto it = fields.find(name);
    if (it == fields.end()) throw std::runtime_error("vector field missing: " + name);
    return it->second;
}

std::vector<uint8_t> Record::bytes(const std::string& name) const { return tu::from_hex(get(name)); }

long long Record::number(const std::string& name) const { return std::stoll(get(name)); }

const std::string& Record::header(const std::string& name) const {
    auto it = headers.find(name);
    if (it == headers.end()) throw std::runtime_error("vector header missing: " + name);
    return it->second;
}

std::string Record::where(const std::string& file) const { return file + ":" + std::to_string(line); }

std::vector<Record> read_vector_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read vector file " + path);
    std::vector<Record> out;
    std::map<std::string, std::string> headers;
    Record cur;
    bool open = false;
    auto close_block = [&]() {
        if (open) out.push_back(cur);
        cur = Record();
        open = false;
    };
    std::string raw;
    int lineno = 0;
    while (std::getline(in, raw)) {
        ++lineno;
        const std::string line = trim(raw);
        if (line.empty()) {
            close_block();
            continue;
        }
        if (line[0] == '#') continue;
        if (line[0] == '[') {
            close_block();
            const std::size_t end = line.find(']');
            const std::string inner = line.substr(1, end == std::string::npos ? std::string::npos : end - 1);
            const std::size_t eq = inner.find('=');
            if (eq == std::string::npos)
                headers[trim(inner)] = "";
            else
                headers[trim(inner.substr(0, eq))] = trim(inner.substr(eq + 1));
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        if (!open) {
            cur.headers = headers;
            cur.line = lineno;
            open = true;
        }
        // A name repeated in one block (the two AdditionalInput lines of a
        // DRBG vector) keeps each value: the second is "Name#2", and so on.
        std::string name = trim(line.substr(0, eq));
        if (cur.fields.count(name) != 0) {
            int n = 2;
            while (cur.fields.count(name + "#" + std::to_string(n)) != 0) ++n;
            name += "#" + std::to_string(n);
        }
        cur.fields[name] = trim(line.substr(eq + 1));
    }
    close_block();
    return out;
}

}  // namespace tv
