#include "site/PageStart.h"

#include "text/TextRoutines.h"

namespace {

bool IsPhpBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

bool IsNamePart(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

// What lies ahead once blanks and comments are skipped.
enum class Ahead { Code, CloseTag, End };

// Reads PHP code token by token from a position, as far as the first statements go.
class CodeReader {
public:
    CodeReader(std::string_view page, std::size_t at)
        : page_(page),
          at_(at)
    { }

    std::size_t At() const { return at_; }

    // Moves over blanks and comments. A "//" or "#" comment ends at a line break or at "?>",
    // which closes the block there, just as PHP reads it; "#[" opens an attribute, not a comment.
    Ahead SkipBlanksAndComments()
    {
        while (at_ < page_.size()) {
            const char c = page_[at_];
            if (IsPhpBlank(c)) {
                ++at_;
            } else if (Next("/*")) {
                const std::size_t end = page_.find("*/", at_ + 2);
                // An unclosed comment runs to the end of the page.
                at_ = end == std::string_view::npos ? page_.size() : end + 2;
            } else if (Next("//") || (c == '#' && !Next("#["))) {
                while (at_ < page_.size() && page_[at_] != '\r' && page_[at_] != '\n' && !Next("?>"))
                    ++at_;
            } else if (Next("?>")) {
                return Ahead::CloseTag;
            } else {
                return Ahead::Code;
            }
        }
        return Ahead::End;
    }

    // The name at this position (empty when none starts here), moved over.
    std::string_view Name()
    {
        const std::size_t start = at_;
        if (at_ < page_.size() && IsNameStart(page_[at_]))
            while (at_ < page_.size() && IsNamePart(page_[at_]))
                ++at_;
        return page_.substr(start, at_ - start);
    }

    // True, moved over it, when the code after blanks and comments is `c`.
    bool Symbol(char c)
    {
        if (SkipBlanksAndComments() != Ahead::Code || page_[at_] != c)
            return false;
        ++at_;
        return true;
    }

    // "declare" read already: "(name = value, ...);" with plain literal values.
    bool DeclareRest()
    {
        if (!Symbol('('))
            return false;
        do {
            if (SkipBlanksAndComments() != Ahead::Code || Name().empty() || !Symbol('=')
                || SkipBlanksAndComments() != Ahead::Code || !Literal())
                return false;
        } while (Symbol(','));
        return Symbol(')') && Symbol(';');
    }

    // "namespace" read already: " Name\Name;" (a braced namespace is refused).
    bool NamespaceRest()
    {
        if (SkipBlanksAndComments() != Ahead::Code || Name().empty())
            return false;
        while (at_ < page_.size() && page_[at_] == '\\') {
            ++at_;
            if (Name().empty())
                return false;
        }
        return Symbol(';');
    }

private:
    bool Next(std::string_view what) const { return page_.substr(at_, what.size()) == what; }

    // A number or a word (1, 0x1, true), or a quoted text without escapes or variables.
    bool Literal()
    {
        const char c = page_[at_];
        if (c == '\'' || c == '"') {
            const std::size_t end = page_.find(c, at_ + 1);
            if (end == std::string_view::npos)
                return false;
            const std::string_view inside = page_.substr(at_ + 1, end - at_ - 1);
            if (inside.find('\\') != std::string_view::npos || (c == '"' && inside.find('$') != std::string_view::npos))
                return false;
            at_ = end + 1;
            return true;
        }
        if (c == '-' || c == '+')
            ++at_;
        const std::size_t start = at_;
        while (at_ < page_.size() && (IsNamePart(page_[at_]) || page_[at_] == '.'))
            ++at_;
        return at_ > start;
    }

    std::string_view page_;
    std::size_t at_;
};

// From the start of a block's code: where the leading declare and namespace statements end,
// 0 when the block opens with something else, nothing when they cannot be read.
PageStart ReadLeadingStatements(CodeReader& code)
{
    PageStart start;
    for (;;) {
        if (code.SkipBlanksAndComments() != Ahead::Code)
            return start;
        const std::string_view word = code.Name();
        const bool isDeclare = EqualsIgnoringCase(word, "declare");
        const bool isNamespace = EqualsIgnoringCase(word, "namespace");
        if (!isDeclare && !isNamespace)
            return start;
        if (!(isDeclare ? code.DeclareRest() : code.NamespaceRest()))
            return {PageStart::Kind::Unsure, 0};
        start = {PageStart::Kind::AfterFirstStatements, code.At()};
        // Only declare statements may stand before a namespace statement; nothing else must follow it.
        if (isNamespace)
            return start;
    }
}

} // namespace

PageStart ReadPageStart(std::string_view page)
{
    // PHP looks for tags in the text before the first one; without any, the page is plain text.
    const std::size_t open = page.find("<?");
    if (open == std::string_view::npos)
        return {};
    std::size_t code = open + 2;
    bool fullTag = false;
    if (EqualsIgnoringCase(page.substr(code, 3), "php")) {
        if (code + 3 == page.size())
            return {};
        if (IsPhpBlank(page[code + 3])) {
            fullTag = true;
            code += 4;
        }
    }
    // "<?=" echoes: an echo is the first statement, so nothing can be meant to come first.
    if (!fullTag && code < page.size() && page[code] == '=')
        return {};
    CodeReader reader(page, code);
    const PageStart start = ReadLeadingStatements(reader);
    if (start.kind != PageStart::Kind::AfterFirstStatements)
        return start;
    // Bytes before the tag (a byte order mark, a "#!" line) or a short tag that the server may
    // or may not read as PHP: whether the page works at all depends on the server's settings.
    if (open > 0 || !fullTag)
        return {PageStart::Kind::Unsure, 0};
    return start;
}
