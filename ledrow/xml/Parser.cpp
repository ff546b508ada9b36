#include "ledrow/xml/Parser.h"

#include "ledrow/xml/References.h"

#include <cstring>

namespace xml {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool isNameStart(char c) {
  unsigned char u = (unsigned char)c;
  return ((u | 0x20) >= 'a' && (u | 0x20) <= 'z') || u == '_' || u == ':' || u >= 0x80;
}

bool isNameChar(char c) {
  return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

class Parser {
public:
  Parser(const char* data, size_t length, Handler* handler, ParseResult* result)
      : begin_(data), end_(data + length), handler_(handler), result_(result) {}

  // False when the document is not well formed; the error is in result_.
  bool parse();

  const char* rootStart() const { return rootStart_; }
  const std::string& rootTag() const { return rootTag_; }
  // Records the error at pos; always null, for "return fail(...)".
  std::nullptr_t fail(int code, const char* pos);

private:
  bool startsWith(const char* p, const char* text) const {
    size_t n = strlen(text);
    return (size_t)(end_ - p) >= n && memcmp(p, text, n) == 0;
  }
  // The first position of text at or after p, or null.
  const char* find(const char* p, const char* text) const;
  const char* skipSpace(const char* p) const {
    while (p < end_ && isSpace(*p))
      p++;
    return p;
  }
  const char* skipName(const char* p) const {
    if (p == end_ || !isNameStart(*p))
      return p;
    while (p < end_ && isNameChar(*p))
      p++;
    return p;
  }
  bool isBlank(const char* from, const char* to) const {
    for (; from < to; from++)
      if (!isSpace(*from))
        return false;
    return true;
  }

  // Each returns the position after what it consumed, or null on an error.
  const char* markup(const char* p);
  const char* instruction(const char* p);
  const char* clearPart(const char* p, const char* open, const char* close, TextPart::Kind kind);
  const char* declaration(const char* p);
  const char* startTag(const char* p);
  const char* endTag(const char* p);
  const char* text(const char* p);

  // The innermost open element, or null.
  const std::shared_ptr<Element>* current() const {
    return open_.empty() ? nullptr : &open_.back().element;
  }

  struct OpenElement {
    std::shared_ptr<Element> element;
    const char* start;
  };

  const char* begin_;
  const char* end_;
  Handler* handler_;
  ParseResult* result_;
  std::vector<OpenElement> open_; // outermost first
  const char* rootStart_ = nullptr; // null until the root element starts
  std::string rootTag_;
};

std::nullptr_t Parser::fail(int code, const char* pos) {
  result_->code = code;
  result_->line = 1;
  result_->column = 1;
  for (const char* p = begin_; p < pos; p++) {
    if (*p == '\n') {
      result_->line++;
      result_->column = 1;
    } else {
      result_->column++;
    }
  }
  return nullptr;
}

const char* Parser::find(const char* p, const char* text) const {
  size_t n = strlen(text);
  for (; (size_t)(end_ - p) >= n; p++) {
    p = (const char*)memchr(p, text[0], end_ - p - n + 1);
    if (!p)
      return nullptr;
    if (memcmp(p, text, n) == 0)
      return p;
  }
  return nullptr;
}

bool Parser::parse() {
  const char* p = begin_;
  if (begin_ == end_)
    p = fail(NoData, begin_);
  else if (!memchr(begin_, '<', end_ - begin_))
    p = fail(NoTagFound, begin_);
  while (p && p < end_)
    p = *p == '<' ? markup(p) : text(p);
  if (p && !open_.empty())
    p = fail(UnexpectedToken, open_.back().start);
  if (p && !rootStart_)
    p = fail(NoElements, end_);
  return p != nullptr;
}

const char* Parser::markup(const char* p) {
  if (startsWith(p, "<?"))
    return instruction(p);
  if (startsWith(p, "<!--"))
    return clearPart(p, "<!--", "-->", TextPart::Comment);
  if (startsWith(p, "<![CDATA["))
    return clearPart(p, "<![CDATA[", "]]>", TextPart::CData);
  if (startsWith(p, "<!"))
    return declaration(p);
  if (startsWith(p, "</"))
    return endTag(p);
  return startTag(p);
}

// The XML declaration and other processing instructions mean nothing to
// this format.
const char* Parser::instruction(const char* p) {
  const char* stop = find(p + 2, "?>");
  if (!stop)
    return fail(UnterminatedClearTag, p);
  return stop + 2;
}

// Comments and CDATA sections. They are kept inside an element; a comment
// outside one is dropped and CDATA outside one is not allowed.
const char* Parser::clearPart(const char* p, const char* open, const char* close,
                              TextPart::Kind kind) {
  const char* content = p + strlen(open);
  const char* stop = find(content, close);
  if (!stop)
    return fail(UnterminatedClearTag, p);
  if (kind == TextPart::CData && !current())
    return fail(UnexpectedToken, p);
  if (current())
    handler_->textPart(*current(), TextPart{kind, std::string(content, stop)});
  return stop + strlen(close);
}

// A document type declaration (or another "<!" declaration) before the
// root: skipped whole, internal subset and quoted literals included.
const char* Parser::declaration(const char* p) {
  if (rootStart_)
    return fail(UnexpectedToken, p);
  int brackets = 0;
  char quote = 0;
  for (const char* q = p + 2; q < end_; q++) {
    char c = *q;
    if (quote) {
      if (c == quote)
        quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '[') {
      brackets++;
    } else if (c == ']') {
      if (--brackets < 0)
        return fail(UnexpectedToken, q);
    } else if (brackets && startsWith(q, "<!--")) {
      // A comment in the internal subset may hold quotes and brackets.
      const char* stop = find(q + 4, "-->");
      if (!stop)
        return fail(UnterminatedClearTag, q);
      q = stop + 2;
    } else if (c == '>' && brackets == 0) {
      return q + 1;
    }
  }
  return fail(UnterminatedClearTag, p);
}

const char* Parser::startTag(const char* p) {
  const char* nameStart = p + 1;
  const char* q = skipName(nameStart);
  if (q == nameStart)
    return fail(MissingStartTagName, nameStart);
  if (rootStart_ && !current())
    return fail(UnexpectedToken, p); // a second top-level element
  if (open_.size() >= MaxNesting)
    return fail(NestedTooDeeply, p);

  auto element = std::make_shared<Element>();
  element->tag.assign(nameStart, q);
  bool empty = false;
  for (;;) {
    q = skipSpace(q);
    if (q == end_)
      return fail(UnexpectedToken, q);
    if (*q == '>') {
      q++;
      break;
    }
    if (startsWith(q, "/>")) {
      q += 2;
      empty = true;
      break;
    }
    const char* attrName = q;
    q = skipName(q);
    if (q == attrName)
      return fail(UnexpectedToken, q);
    Attribute attribute;
    attribute.name.assign(attrName, q);
    q = skipSpace(q);
    if (q == end_ || *q != '=')
      return fail(UnexpectedToken, q);
    q = skipSpace(q + 1);
    if (q == end_ || (*q != '"' && *q != '\''))
      return fail(UnexpectedToken, q);
    const char* close = (const char*)memchr(q + 1, *q, end_ - q - 1);
    if (!close)
      return fail(UnexpectedToken, q);
    const char* failedAt;
    if (!appendDecoded(q + 1, close, attribute.value, &failedAt))
      return fail(UnknownEntity, failedAt);
    element->attributes.push_back(std::move(attribute));
    q = close + 1;
  }

  if (current()) {
    element->parent = *current();
  } else {
    rootStart_ = p;
    rootTag_ = element->tag;
  }
  handler_->startElement(element);
  if (empty)
    handler_->endElement(element);
  else
    open_.push_back(OpenElement{std::move(element), p});
  return q;
}

const char* Parser::endTag(const char* p) {
  const char* nameStart = p + 2;
  const char* q = skipName(nameStart);
  if (q == nameStart)
    return fail(MissingEndTagName, nameStart);
  const char* nameEnd = q;
  q = skipSpace(q);
  if (q == end_ || *q != '>')
    return fail(UnexpectedToken, q);
  if (!current())
    return fail(EndTagWithoutStart, p);
  if ((*current())->tag.compare(0, std::string::npos, nameStart, nameEnd - nameStart) != 0)
    return fail(EndTagMismatch, p);
  std::shared_ptr<Element> element = std::move(open_.back().element);
  open_.pop_back();
  handler_->endElement(element);
  return q + 1;
}

const char* Parser::text(const char* p) {
  const char* stop = (const char*)memchr(p, '<', end_ - p);
  if (!stop)
    stop = end_;
  if (isBlank(p, stop))
    return stop;
  if (!current())
    return fail(UnexpectedToken, skipSpace(p)); // text outside the root
  TextPart part{TextPart::Text, std::string()};
  const char* failedAt;
  if (!appendDecoded(p, stop, part.content, &failedAt))
    return fail(UnknownEntity, failedAt);
  handler_->textPart(*current(), std::move(part));
  return stop;
}

// Links the reported elements into a tree.
class TreeBuilder : public Handler {
public:
  void startElement(const std::shared_ptr<Element>& element) override {
    if (std::shared_ptr<Element> parent = element->parent.lock())
      parent->children.push_back(element);
    else
      root = element;
  }
  void textPart(const std::shared_ptr<Element>& element, TextPart&& part) override {
    element->parts.push_back(std::move(part));
  }

  std::shared_ptr<Element> root;
};

} // namespace

void parseEvents(const char* data, size_t length, const char* expectedRoot, Handler* handler,
                 ParseResult* result) {
  *result = ParseResult();
  static const char bom[] = "\xef\xbb\xbf";
  if (length >= 3 && memcmp(data, bom, 3) == 0) {
    data += 3;
    length -= 3;
  }
  Parser parser(data, length, handler, result);
  if (length > MaxDataSize)
    parser.fail(DataTooLarge, data);
  else if (parser.parse() && expectedRoot && parser.rootTag() != expectedRoot)
    parser.fail(FirstTagNotFound, parser.rootStart());
}

ElementPtr parseText(const char* data, size_t length, const char* expectedRoot,
                     ParseResult* result) {
  TreeBuilder tree;
  parseEvents(data, length, expectedRoot, &tree, result);
  if (result->code != NoError)
    return nullptr;
  return tree.root;
}

} // namespace xml
