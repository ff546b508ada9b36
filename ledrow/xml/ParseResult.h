// The outcome of a parse: an error code with its fixed text, and where in
// the input the error was found.
#pragma once

namespace xml {

// The codes the parser reports; the table of texts has further codes that
// other users of the format share.
enum ParseError {
  NoError = 0,
  EndTagMismatch = 1,
  NoTagFound = 2,
  NoData = 3,
  MissingStartTagName = 4,
  MissingEndTagName = 5,
  EndTagWithoutStart = 6,
  UnterminatedClearTag = 7,
  UnexpectedToken = 8,
  NoElements = 9,
  FileNotFound = 10,
  FirstTagNotFound = 11,
  UnknownEntity = 12,
  NestedTooDeeply = 20,
  DataTooLarge = 21,
};

// Limits on untrusted input: the tree is built without recursion, but its
// size and depth still follow the input.
enum { MaxNesting = 256, MaxDataSize = 32 * 1024 * 1024 };

struct ParseResult {
  int code = NoError;
  int line = 0;   // 1-based; 0 when there is no position
  int column = 0; // 1-based, in bytes
};

// The fixed text of a code; "Unknown" for codes outside the table.
const char* errorText(int code);

} // namespace xml
