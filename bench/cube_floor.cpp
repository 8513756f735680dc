// The least a program must do to read a .cube and write it back: one read,
// std::from_chars per number, std::to_chars into one buffer, one write.
// Usage: cube_floor IN OUT
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::ifstream in(argv[1], std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<double> values;
  int size = 0;
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const char* eol = p;
    while (eol < end && *eol != '\n') ++eol;
    if (p < eol && (*p == '-' || *p == '.' || (*p >= '0' && *p <= '9'))) {
      for (int k = 0; k < 3; ++k) {
        while (p < eol && *p == ' ') ++p;
        double v = 0;
        p = std::from_chars(p, eol, v).ptr;
        values.push_back(v);
      }
    } else if (std::string(p, eol).rfind("LUT_3D_SIZE", 0) == 0) {
      size = std::stoi(std::string(p + 11, eol));
    }
    p = eol + 1;
  }
  std::string out = "LUT_3D_SIZE " + std::to_string(size) + "\n";
  out.reserve(values.size() * 10 + 64);
  char buf[64];
  for (std::size_t i = 0; i < values.size(); ++i) {
    const auto r = std::to_chars(buf, buf + sizeof buf, values[i], std::chars_format::fixed, 6);
    out.append(buf, r.ptr);
    out += (i % 3 == 2) ? '\n' : ' ';
  }
  std::FILE* f = std::fopen(argv[2], "wb");
  if (!f) return 1;
  std::fwrite(out.data(), 1, out.size(), f);
  return std::fclose(f) == 0 ? 0 : 1;
}
