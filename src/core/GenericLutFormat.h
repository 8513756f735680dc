// The base of the line-oriented text formats. Read loads the file and makes a
// parser for this one read (NewParser); the parser gets one look at the whole
// text (ReadHeader), then every non-blank line in order, trimmed (ReadLine).
// The format then stores the kind and size found, insists on complete data,
// and lets the parser finish the record. Any content error raised while a line
// is read carries that line's number.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "core/LUTFormat.h"
#include "core/TextFile.h"

// The state of one read of a text format.
class TLutParser {
 public:
  explicit TLutParser(const TReadOptions& options) : Options(options) {}
  virtual ~TLutParser() = default;
  TLutParser(const TLutParser&) = delete;
  TLutParser& operator=(const TLutParser&) = delete;

  // Feed the whole text: the header look, then every non-blank line.
  void Parse(const TTextFile& text, TLUT& lut);
  // Called once the record holds complete data of the format's kind.
  virtual void Finish(TLUT& lut) { (void)lut; }
  // The depth the integer codes were read at (see TLUT::CodeBits): the
  // CodeScale of the parsers whose scale is a number of bits; the others
  // say their own.
  virtual int CodeBits() const { return CodeScale > 0 ? CodeScale : 0; }
  // The depth of integer input codes (a 3DL shaper line); 0: none.
  virtual int InputCodeBits() const { return 0; }

  int LutSize = -1;  // declared cube size or curve length; -1 while unknown
  bool Complete = false;
  // The first data line skipped because a value did not parse, which an
  // incomplete file names: its number (0: none) and the message part.
  std::size_t SkippedLine = 0;
  std::string SkippedReason;

 protected:
  virtual void ReadHeader(const TTextFile& lines) { (void)lines; }
  // A non-blank line, without leading and trailing blanks.
  virtual void ReadLine(std::string_view line, TLUT& lut) = 0;

  static bool IsComment(std::string_view line) { return !line.empty() && line.front() == '#'; }
  // The comment's text: what follows the "#", trimmed.
  static std::string_view CommentText(std::string_view line);

  // Take a declared size: checked against the record's limits before any
  // data is stored, then the record's storage of that kind is made ready.
  void DeclareCubeSize(TLUT& lut, int n);
  void DeclareCurveSize(TLUT& lut, int m);

  // Remember a line that looked like data but did not parse (a number
  // among its tokens, and a first token that is not a keyword in capitals).
  void NoteSkippedLine(std::string_view line);

  // Refuse (ELUTError) a value that no LUT can mean; the store helpers below
  // check every value they are given.
  static void CheckValue(const TLutRGB& rgb);

  // Store one node in file order red fastest, green, blue slowest, and set
  // Complete after the last one.
  void StoreNodeRedFastest(TLUT& lut, const TLutRGB& rgb);
  // Store one node in file order blue fastest, green, red slowest.
  void StoreNodeBlueFastest(TLUT& lut, const TLutRGB& rgb);
  // Store the next curve entry (at EntryIndex) and set Complete after the last one.
  void StoreCurveEntry(TLUT& lut, const TLutRGB& rgb);

  const TReadOptions& Options;
  int IndexR = 0;
  int IndexG = 0;
  int IndexB = 0;
  int EntryIndex = 0;  // the next curve entry
  int CodeScale = -1;  // the format's integer scale (bits or maximum code); -1 while unknown
  // The bits whose largest code is maxCode (1023: 10); 0 when it is no such code.
  static int BitsOfMaxCode(double maxCode);
  const TTextFile* Lines = nullptr;  // the whole text, during Parse

 private:
  std::size_t CurrentLine = 0;
};

class TGenericLutFormat : public TLUTFormat {
 public:
  TGenericLutFormat(std::string name, bool is3D,
                    unsigned capabilities = fcRead | fcWrite | fcDetect)
      : TLUTFormat(std::move(name), is3D, capabilities) {}

  void Read(const std::filesystem::path& fileName, TLUT& lut,
            const TReadOptions& options) const override;

 protected:
  virtual std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                                const TReadOptions& options) const = 0;
};
