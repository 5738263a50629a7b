#include "plots/cast/PdfPages.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string_view>

namespace kavro {
namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr int kMaxTreeDepth = 32;

bool isWhite(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool isDelimiter(char c)
{
    return c != '\0' && std::strchr("()<>[]{}/%", c) != nullptr;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool tokenEnds(std::string_view s, std::size_t pos)
{
    return pos >= s.size() || isWhite(s[pos]) || isDelimiter(s[pos]);
}

bool tokenStarts(std::string_view s, std::size_t pos)
{
    return pos == 0 || isWhite(s[pos - 1]) || isDelimiter(s[pos - 1]);
}

void skipWhite(std::string_view s, std::size_t& pos)
{
    while (pos < s.size() && isWhite(s[pos]))
        ++pos;
}

// A whole number after white space; pos moves past it.
std::optional<long long> readNumber(std::string_view s, std::size_t& pos)
{
    skipWhite(s, pos);
    const std::size_t start = pos;
    long long value = 0;
    while (pos < s.size() && isDigit(s[pos]) && pos - start < 15)
        value = value * 10 + (s[pos++] - '0');
    if (pos == start)
        return std::nullopt;
    return value;
}

bool keywordAt(std::string_view s, std::size_t pos, std::string_view word)
{
    return s.substr(pos, word.size()) == word && tokenEnds(s, pos + word.size());
}

// Past the literal string that opens at pos: nested parentheses and escapes.
std::size_t pastString(std::string_view s, std::size_t pos)
{
    int depth = 0;
    for (; pos < s.size(); ++pos) {
        if (s[pos] == '\\')
            ++pos;
        else if (s[pos] == '(')
            ++depth;
        else if (s[pos] == ')' && --depth == 0)
            return pos + 1;
    }
    return s.size();
}

// Past a name, a comment or a string that starts at pos; pos itself when none does.
std::size_t pastSkipped(std::string_view s, std::size_t pos)
{
    if (s[pos] == '(')
        return pastString(s, pos);
    if (s[pos] == '%') {
        const std::size_t end = s.find_first_of("\r\n", pos);
        return end == npos ? s.size() : end;
    }
    if (s[pos] == '/') {
        std::size_t end = pos + 1;
        while (!tokenEnds(s, end))
            ++end;
        return end;
    }
    return pos;
}

// The text of an object with every reference "n g R" passed to renumber: its
// numbers collected in refs, its n replaced by what renumber answers (nothing:
// left as it is).  Strings, names and comments are copied untouched.
std::string references(std::string_view text, const std::function<std::optional<int>(int)>& renumber,
                       std::vector<int>* refs)
{
    std::string out;
    out.reserve(text.size() + 16);
    std::size_t i = 0;
    while (i < text.size()) {
        if (const std::size_t past = pastSkipped(text, i); past != i) {
            out.append(text.substr(i, past - i));
            i = past;
            continue;
        }
        if (!isDigit(text[i]) || !tokenStarts(text, i)) {
            out += text[i++];
            continue;
        }
        std::size_t p = i;
        const auto number = readNumber(text, p);
        std::size_t q = p;
        bool isReference = false;
        if (q < text.size() && isWhite(text[q]) && readNumber(text, q) && q < text.size() && isWhite(text[q])) {
            skipWhite(text, q);
            isReference = keywordAt(text, q, "R");
        }
        if (!isReference) {
            out.append(text.substr(i, p - i));
            i = p;
            continue;
        }
        if (refs)
            refs->push_back(static_cast<int>(*number));
        const auto now = renumber(static_cast<int>(*number));
        out += now ? std::to_string(*now) : std::string(text.substr(i, p - i));
        out.append(text.substr(p, q + 1 - p));
        i = q + 1;
    }
    return out;
}

struct PdfObject {
    std::string_view head;    // between "n g obj" and "stream" or "endobj"
    std::string_view stream;  // the stream's bytes
    bool isStream = false;
};

class Document {
public:
    bool read(std::string_view bytes);
    std::optional<PdfObject> object(int number, int depth = 0) const;
    // The pages in order, and every node of the page tree.
    bool pages(std::vector<int>& leaves, std::set<int>& nodes) const;
    // The objects reachable from roots, not passing through the page tree's nodes.
    bool reachable(const std::vector<int>& roots, const std::set<int>& nodes, std::set<int>& found) const;
    std::string_view bytes() const { return s_; }
    int info() const { return info_; }

private:
    bool pageTree(int node, int depth, std::vector<int>& leaves, std::set<int>& nodes) const;
    std::optional<long long> value(std::string_view head, std::string_view key, bool* isReference = nullptr) const;

    std::string_view s_;
    std::map<int, std::size_t> offsets_;
    int root_ = -1, info_ = -1;
};

bool Document::read(std::string_view bytes)
{
    s_ = bytes;
    if (!s_.starts_with("%PDF-"))
        return false;
    const std::size_t mark = s_.rfind("startxref");
    if (mark == npos)
        return false;
    std::size_t pos = mark + 9;
    const auto table = readNumber(s_, pos);
    if (!table || static_cast<std::size_t>(*table) >= s_.size())
        return false;
    pos = static_cast<std::size_t>(*table);
    if (!keywordAt(s_, pos, "xref"))
        return false;
    pos += 4;
    for (;;) {
        skipWhite(s_, pos);
        if (keywordAt(s_, pos, "trailer"))
            break;
        const auto first = readNumber(s_, pos);
        const auto count = readNumber(s_, pos);
        if (!first || !count || *count > static_cast<long long>(s_.size() / 20))
            return false;
        for (long long k = 0; k < *count; ++k) {
            const auto offset = readNumber(s_, pos);
            const auto generation = readNumber(s_, pos);
            skipWhite(s_, pos);
            if (!offset || !generation || pos >= s_.size() || (s_[pos] != 'n' && s_[pos] != 'f'))
                return false;
            if (s_[pos++] == 'n') {
                if (static_cast<std::size_t>(*offset) >= s_.size())
                    return false;
                offsets_[static_cast<int>(*first + k)] = static_cast<std::size_t>(*offset);
            }
        }
    }
    const std::string_view trailer = s_.substr(pos, mark - pos);
    bool ref = false;
    const auto root = value(trailer, "/Root", &ref);
    if (!root || !ref)
        return false;
    root_ = static_cast<int>(*root);
    const auto info = value(trailer, "/Info", &ref);
    info_ = info && ref ? static_cast<int>(*info) : -1;
    return true;
}

// The number after key in head (a direct number, or the object number of "n g R").
std::optional<long long> Document::value(std::string_view head, std::string_view key, bool* isReference) const
{
    for (std::size_t at = head.find(key); at != npos; at = head.find(key, at + 1)) {
        if (!tokenEnds(head, at + key.size()))
            continue;  // /Length1 for /Length
        std::size_t pos = at + key.size();
        const auto number = readNumber(head, pos);
        if (!number)
            return std::nullopt;
        std::size_t q = pos;
        bool ref = false;
        if (readNumber(head, q)) {
            skipWhite(head, q);
            ref = keywordAt(head, q, "R");
        }
        if (isReference)
            *isReference = ref;
        return number;
    }
    return std::nullopt;
}

std::optional<PdfObject> Document::object(int number, int depth) const
{
    const auto where = offsets_.find(number);
    if (where == offsets_.end() || depth > 1)
        return std::nullopt;
    std::size_t pos = where->second;
    const auto n = readNumber(s_, pos);
    const auto generation = readNumber(s_, pos);
    skipWhite(s_, pos);
    if (!n || *n != number || !generation || !keywordAt(s_, pos, "obj"))
        return std::nullopt;
    pos += 3;
    const std::size_t start = pos;
    PdfObject obj;
    while (pos < s_.size()) {
        if (const std::size_t past = pastSkipped(s_, pos); past != pos) {
            pos = past;
        } else if (tokenStarts(s_, pos) && keywordAt(s_, pos, "endobj")) {
            obj.head = s_.substr(start, pos - start);
            return obj;
        } else if (tokenStarts(s_, pos) && keywordAt(s_, pos, "stream")) {
            break;
        } else {
            ++pos;
        }
    }
    if (pos >= s_.size())
        return std::nullopt;
    obj.head = s_.substr(start, pos - start);
    obj.isStream = true;
    pos += 6;
    if (pos < s_.size() && s_[pos] == '\r')
        ++pos;
    if (pos < s_.size() && s_[pos] == '\n')
        ++pos;
    bool ref = false;
    auto length = value(obj.head, "/Length", &ref);
    if (length && ref) {
        const auto lengthObject = object(static_cast<int>(*length), depth + 1);
        std::size_t p = 0;
        length = lengthObject && !lengthObject->isStream ? readNumber(lengthObject->head, p) : std::nullopt;
    }
    if (!length || static_cast<std::size_t>(*length) > s_.size() - pos)
        return std::nullopt;
    obj.stream = s_.substr(pos, static_cast<std::size_t>(*length));
    pos += obj.stream.size();
    skipWhite(s_, pos);
    if (!keywordAt(s_, pos, "endstream"))
        return std::nullopt;
    pos += 9;
    skipWhite(s_, pos);
    if (!keywordAt(s_, pos, "endobj"))
        return std::nullopt;
    return obj;
}

bool Document::pages(std::vector<int>& leaves, std::set<int>& nodes) const
{
    const auto catalog = object(root_);
    bool ref = false;
    const auto tree = catalog ? value(catalog->head, "/Pages", &ref) : std::nullopt;
    return tree && ref && pageTree(static_cast<int>(*tree), 0, leaves, nodes);
}

bool Document::pageTree(int node, int depth, std::vector<int>& leaves, std::set<int>& nodes) const
{
    const auto obj = object(node);
    if (!obj || obj->isStream || depth > kMaxTreeDepth || nodes.count(node))
        return false;
    const std::size_t kids = obj->head.find("/Kids");
    if (kids == npos) {
        // A page: everything it needs must be its own, nothing inherited from the tree.
        leaves.push_back(node);
        return obj->head.find("/MediaBox") != npos && obj->head.find("/Resources") != npos;
    }
    nodes.insert(node);
    const std::size_t open = obj->head.find('[', kids), close = obj->head.find(']', kids);
    if (open == npos || close == npos || close < open)
        return false;
    std::vector<int> children;
    references(obj->head.substr(open, close - open), [](int) { return std::nullopt; }, &children);
    for (int child : children)
        if (!pageTree(child, depth + 1, leaves, nodes))
            return false;
    return true;
}

bool Document::reachable(const std::vector<int>& roots, const std::set<int>& nodes, std::set<int>& found) const
{
    std::vector<int> queue(roots.begin(), roots.end());
    while (!queue.empty()) {
        const int number = queue.back();
        queue.pop_back();
        if (nodes.count(number) || !found.insert(number).second)
            continue;
        const auto obj = object(number);
        if (!obj)
            return false;
        std::vector<int> refs;
        references(obj->head, [](int) { return std::nullopt; }, &refs);
        queue.insert(queue.end(), refs.begin(), refs.end());
    }
    return true;
}

// The joined document on its way out: the bytes not yet handed over, and how many were.
struct Output {
    const std::function<bool(std::string_view)>& write;
    std::string text;
    std::size_t handed = 0;

    std::size_t size() const { return handed + text.size(); }
    bool flush(bool all)
    {
        if (text.size() < (all ? 1u : kFlushBytes))
            return true;
        handed += text.size();
        const bool ok = write(text);
        text.clear();
        return ok;
    }
    static constexpr std::size_t kFlushBytes = 1 << 20;
};

void appendObject(Output& out, std::vector<std::size_t>& offsets, int number, std::string_view head,
                  const PdfObject* stream)
{
    offsets[static_cast<std::size_t>(number)] = out.size();
    out.text += std::to_string(number) + " 0 obj";
    out.text.append(head);
    if (stream) {
        out.text += "stream\n";
        out.text.append(stream->stream);
        out.text += "\nendstream\n";
    }
    out.text += "endobj\n";
}

}  // namespace

std::optional<int> pdfPageCount(const std::string& document)
{
    Document d;
    std::vector<int> leaves;
    std::set<int> nodes;
    if (!d.read(document) || !d.pages(leaves, nodes))
        return std::nullopt;
    return static_cast<int>(leaves.size());
}

bool joinPdfPages(const std::vector<std::string_view>& documents, const std::function<bool(std::string_view)>& write)
{
    if (documents.empty())
        return false;
    // 1: the catalog, 2: the page tree, then each document's objects in turn.
    constexpr int kCatalog = 1, kPageTree = 2;
    struct Part {
        Document doc;
        std::vector<int> pages;
        std::set<int> nodes;
        std::map<int, int> numbers;  // old -> new
    };
    std::vector<Part> parts(documents.size());
    int next = kPageTree + 1;
    for (std::size_t i = 0; i < documents.size(); ++i) {
        Part& part = parts[i];
        if (!part.doc.read(documents[i]) || !part.doc.pages(part.pages, part.nodes))
            return false;
        std::vector<int> roots = part.pages;
        if (i == 0 && part.doc.info() >= 0)
            roots.push_back(part.doc.info());
        std::set<int> objects;
        if (!part.doc.reachable(roots, part.nodes, objects))
            return false;
        for (int number : objects)
            part.numbers[number] = next++;
    }

    // Every reference leads to an object copied (or to the page tree).
    for (Part& part : parts)
        for (const auto& [old, number] : part.numbers) {
            std::vector<int> refs;
            references(part.doc.object(old)->head, [](int) { return std::nullopt; }, &refs);
            for (int ref : refs)
                if (!part.nodes.count(ref) && !part.numbers.count(ref))
                    return false;
        }

    const std::string_view first = parts[0].doc.bytes();
    Output out{write};
    out.text.assign(first.substr(0, first.find_first_of("\r\n")));
    out.text += "\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets(static_cast<std::size_t>(next), 0);
    std::string kids;
    for (Part& part : parts) {
        auto renumber = [&part](int old) -> std::optional<int> {
            if (part.nodes.count(old))
                return kPageTree;  // every page's parent is the one page tree
            const auto it = part.numbers.find(old);
            return it == part.numbers.end() ? std::nullopt : std::optional<int>(it->second);
        };
        for (const auto& [old, number] : part.numbers) {
            const auto obj = part.doc.object(old);  // read once already
            appendObject(out, offsets, number, references(obj->head, renumber, nullptr),
                         obj->isStream ? &*obj : nullptr);
            if (!out.flush(false))
                return false;
        }
        for (int page : part.pages)
            kids += std::to_string(part.numbers.at(page)) + " 0 R\n";
    }
    appendObject(out, offsets, kCatalog, "\n<<\n/Type /Catalog\n/Pages 2 0 R\n>>\n", nullptr);
    std::size_t count = 0;
    for (const Part& part : parts)
        count += part.pages.size();
    appendObject(out, offsets, kPageTree,
                 "\n<<\n/Type /Pages\n/Kids\n[\n" + kids + "]\n/Count " + std::to_string(count) + "\n>>\n", nullptr);

    const std::size_t table = out.size();
    out.text += "xref\n0 " + std::to_string(next) + "\n0000000000 65535 f \n";
    for (std::size_t n = 1; n < offsets.size(); ++n) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offsets[n]);
        out.text += entry;
    }
    out.text += "trailer\n<<\n/Size " + std::to_string(next) + "\n/Root 1 0 R\n";
    if (const int info = parts[0].doc.info(); info >= 0)
        out.text += "/Info " + std::to_string(parts[0].numbers.at(info)) + " 0 R\n";
    out.text += ">>\nstartxref\n" + std::to_string(table) + "\n%%EOF\n";
    return out.flush(true);
}

}  // namespace kavro
