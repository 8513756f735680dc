// The OpenColorIO module, loaded by OcioBridge on first use. A file is read
// with OpenColorIO's own reader; the chain of transforms it builds is taken
// over value for value when it is what the record holds (per-channel scales
// and offsets, at most one Lut1D, at most one Lut3D after it), and evaluated
// onto the record's tables otherwise.
#include <OpenColorIO/OpenColorIO.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>
#include <memory>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "formats/OcioBridge.h"

namespace OCIO = OCIO_NAMESPACE;

namespace {

// y = Scale * x + Offset, channel by channel.
struct TAffine {
  double Scale[3] = {1, 1, 1};
  double Offset[3] = {0, 0, 0};
  void Then(const TAffine& next) {
    for (int c = 0; c < 3; ++c) {
      Scale[c] *= next.Scale[c];
      Offset[c] = Offset[c] * next.Scale[c] + next.Offset[c];
    }
  }
  void Invert() {
    for (int c = 0; c < 3; ++c) {
      Scale[c] = 1 / Scale[c];
      Offset[c] = -Offset[c] * Scale[c];
    }
  }
  bool Increasing() const {
    return Scale[0] > 0 && Scale[1] > 0 && Scale[2] > 0 && std::isfinite(Scale[0]) &&
           std::isfinite(Scale[1]) && std::isfinite(Scale[2]);
  }
};

// No channel, alpha included, feeds another colour channel.
bool IsDiagonal(const double m[16]) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j)
      if (i != j && m[i * 4 + j] != 0) return false;
  return true;
}

// A Range or a diagonal Matrix as a scale and offset; false for anything else.
// A Range that only clamps (one bound, in equal to out) scales nothing: the
// record clamps its input to the table's domain anyway.
bool AsAffine(const OCIO::ConstTransformRcPtr& t, TAffine& a) {
  if (auto range = OCIO::DynamicPtrCast<const OCIO::RangeTransform>(t)) {
    const bool hasIn = range->hasMinInValue() && range->hasMaxInValue();
    const bool hasOut = range->hasMinOutValue() && range->hasMaxOutValue();
    if (hasIn && hasOut) {
      const double s = (range->getMaxOutValue() - range->getMinOutValue()) /
                       (range->getMaxInValue() - range->getMinInValue());
      for (int c = 0; c < 3; ++c) {
        a.Scale[c] = s;
        a.Offset[c] = range->getMinOutValue() - range->getMinInValue() * s;
      }
    } else {
      if (range->hasMinInValue() != range->hasMinOutValue() ||
          range->hasMaxInValue() != range->hasMaxOutValue())
        return false;
      const double shift = range->hasMinInValue()
                               ? range->getMinOutValue() - range->getMinInValue()
                               : range->getMaxOutValue() - range->getMaxInValue();
      if (shift != 0) return false;
    }
  } else if (auto matrix = OCIO::DynamicPtrCast<const OCIO::MatrixTransform>(t)) {
    double m[16], offset[4];
    matrix->getMatrix(m);
    matrix->getOffset(offset);
    if (!IsDiagonal(m)) return false;
    for (int c = 0; c < 3; ++c) {
      a.Scale[c] = m[c * 5];
      a.Offset[c] = offset[c];
    }
  } else {
    return false;
  }
  if (t->getDirection() == OCIO::TRANSFORM_DIR_INVERSE) a.Invert();
  return a.Increasing();
}

void SetDomain(TOcioLutData& data, const TAffine& a) {
  for (int c = 0; c < 3; ++c) {
    data.DomainMin[c] = -a.Offset[c] / a.Scale[c];
    data.DomainMax[c] = (1 - a.Offset[c]) / a.Scale[c];
  }
}

// The chain as record tables, value for value; false when it is not of that shape.
bool TakeOver(const OCIO::GroupTransform& group, TOcioLutData& data) {
  TAffine before, between;  // before the first table; between the curves and the cube
  OCIO::ConstLut1DTransformRcPtr curves;
  OCIO::ConstLut3DTransformRcPtr cube;
  for (int i = 0; i < group.getNumTransforms(); ++i) {
    const OCIO::ConstTransformRcPtr t = group.getTransform(i);
    TAffine a;
    if (AsAffine(t, a)) {
      if (cube) return false;
      (curves ? between : before).Then(a);
    } else if (auto lut1d = OCIO::DynamicPtrCast<const OCIO::Lut1DTransform>(t)) {
      if (curves || cube || lut1d->getDirection() != OCIO::TRANSFORM_DIR_FORWARD ||
          lut1d->getInputHalfDomain() || lut1d->getHueAdjust() != OCIO::HUE_NONE)
        return false;
      curves = lut1d;
    } else if (auto lut3d = OCIO::DynamicPtrCast<const OCIO::Lut3DTransform>(t)) {
      if (cube || lut3d->getDirection() != OCIO::TRANSFORM_DIR_FORWARD) return false;
      cube = lut3d;
    } else {
      return false;
    }
  }
  if (!curves && !cube) return false;
  if (!curves) before.Then(between);
  if (!before.Increasing()) return false;
  if (curves) {
    const unsigned long m = curves->getLength();
    data.Size1D = static_cast<int>(m);
    data.Curve.resize(3 * m);
    for (unsigned long i = 0; i < m; ++i) {
      float v[3];
      curves->getValue(i, v[0], v[1], v[2]);
      for (int c = 0; c < 3; ++c) data.Curve[3 * i + c] = v[c] * between.Scale[c] + between.Offset[c];
    }
  }
  if (cube) {
    const unsigned long n = cube->getGridSize();
    data.Size3D = static_cast<int>(n);
    data.Cube.resize(3 * n * n * n);
    std::size_t k = 0;
    for (unsigned long r = 0; r < n; ++r)
      for (unsigned long g = 0; g < n; ++g)
        for (unsigned long b = 0; b < n; ++b) {
          float v[3];
          cube->getValue(r, g, b, v[0], v[1], v[2]);
          for (float x : v) data.Cube[k++] = x;
        }
  }
  SetDomain(data, before);
  return true;
}

// A chain's optimised CPU processor, which OpenColorIO applies from any
// thread.
class TCpuEvaluator final : public IOcioEvaluator {
 public:
  explicit TCpuEvaluator(OCIO::ConstCPUProcessorRcPtr cpu) : Cpu_(std::move(cpu)) {}
  void Apply(float* rgb, std::size_t count) const override {
    // A picture description holds its width in a long; runs keep it small.
    constexpr std::size_t run = 1 << 20;
    for (std::size_t first = 0; first < count; first += run) {
      const std::size_t n = std::min(run, count - first);
      OCIO::PackedImageDesc image(rgb + 3 * first, static_cast<long>(n), 1, 3);
      Cpu_->apply(image);
    }
  }

 private:
  OCIO::ConstCPUProcessorRcPtr Cpu_;
};

// Operators times points evaluated in one bake: about a second of
// OpenColorIO's processing. 1,000 operators at 100^3 points took a minute.
constexpr double MaxBakeWork = 5e7;

void CheckBakeWork(int operators, std::size_t points, const std::string& where) {
  const double most = MaxBakeWork / static_cast<double>(points);
  if (operators <= most) return;
  throw std::runtime_error("The transform's " + std::to_string(operators) +
                           " operators are too many to evaluate at " + where + " (at most " +
                           std::to_string(static_cast<long>(most)) + " at that size).");
}

// Any other chain, evaluated on inputs 0..1: curves when every step works on
// each channel alone, a cube otherwise, at the size asked for or else the
// largest the chain uses. Curves that restore the hue after them (hueAdjust)
// mix the channels.
void Bake(const OCIO::Processor& processor, const OCIO::GroupTransform& group, int bakeSize,
          TOcioLutData& data) {
  bool perChannel = true;
  unsigned long length = 0, grid = 0;
  for (int i = 0; i < group.getNumTransforms(); ++i) {
    const OCIO::ConstTransformRcPtr t = group.getTransform(i);
    TAffine a;
    if (auto lut1d = OCIO::DynamicPtrCast<const OCIO::Lut1DTransform>(t)) {
      length = std::max(length, lut1d->getLength());
      if (lut1d->getHueAdjust() != OCIO::HUE_NONE) perChannel = false;
    } else if (auto lut3d = OCIO::DynamicPtrCast<const OCIO::Lut3DTransform>(t)) {
      grid = std::max(grid, lut3d->getGridSize());
      perChannel = false;
    } else if (!AsAffine(t, a)) {
      perChannel = false;
    }
  }
  const auto cpuProcessor = [&] {
    auto cpu = processor.getOptimizedCPUProcessor(OCIO::OPTIMIZATION_LOSSLESS);
    data.Evaluator = std::make_shared<TCpuEvaluator>(cpu);
    data.OwnSize3D = static_cast<int>(std::min<unsigned long>(grid, 1000));
    data.OwnSize1D = static_cast<int>(std::min<unsigned long>(length, 1000000));
    return cpu;
  };
  if (perChannel) {
    const int m = static_cast<int>(std::clamp<unsigned long>(length ? length : 4096, 2, 100000));
    CheckBakeWork(group.getNumTransforms(), static_cast<std::size_t>(m),
                  std::to_string(m) + " curve points");
    const auto cpu = cpuProcessor();
    data.Size1D = m;
    data.Curve.resize(3 * static_cast<std::size_t>(m));
    for (int i = 0; i < m; ++i) {
      const float x = static_cast<float>(i / (m - 1.0));
      float rgb[3] = {x, x, x};
      cpu->applyRGB(rgb);
      for (int c = 0; c < 3; ++c) data.Curve[3 * static_cast<std::size_t>(i) + c] = rgb[c];
    }
    return;
  }
  const int n = bakeSize > 0 ? std::clamp(bakeSize, 2, 100)
                             : static_cast<int>(std::clamp<unsigned long>(grid ? grid : 33, 2, 100));
  const std::string size = std::to_string(n);
  CheckBakeWork(group.getNumTransforms(), static_cast<std::size_t>(n) * n * n,
                size + " x " + size + " x " + size + " points");
  const auto cpu = cpuProcessor();
  data.Size3D = n;
  data.Cube.resize(3 * static_cast<std::size_t>(n) * n * n);
  std::size_t k = 0;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        float rgb[3] = {static_cast<float>(r / (n - 1.0)), static_cast<float>(g / (n - 1.0)),
                        static_cast<float>(b / (n - 1.0))};
        cpu->applyRGB(rgb);
        for (float x : rgb) data.Cube[k++] = x;
      }
}

void TakeDescriptions(const OCIO::FormatMetadata& metadata, TOcioLutData& data) {
  for (int i = 0; i < metadata.getNumChildrenElements(); ++i) {
    const OCIO::FormatMetadata& child = metadata.getChildElement(i);
    if (std::string(child.getElementName()) == OCIO::METADATA_DESCRIPTION &&
        *child.getElementValue())
      data.Comments.emplace_back(child.getElementValue());
  }
}

// OpenColorIO's log goes to stderr, a line per message, with the absolute
// path: a file of a thousand unknown elements printed a thousand lines. Its
// messages are counted into the read under way instead (reads take turns),
// for the library to say once.
TOcioLutData* LogTarget = nullptr;

void CountLog(const char* message) {
  if (!LogTarget) return;
  if (LogTarget->LogCount++ == 0) {
    std::string_view text = message;
    if (text.starts_with("[OpenColorIO") && text.find("]: ") != std::string_view::npos)
      text.remove_prefix(text.find("]: ") + 3);  // "[OpenColorIO Warning]: "
    LogTarget->FirstLog = std::string(text.substr(0, 300));
    while (!LogTarget->FirstLog.empty() &&
           std::isspace(static_cast<unsigned char>(LogTarget->FirstLog.back())))
      LogTarget->FirstLog.pop_back();
  }
}

class TOcioBridge final : public IOcioBridge {
 public:
  TOcioBridge() {
    OCIO::SetLoggingFunction(CountLog);
    OCIO::SetLoggingLevel(OCIO::LOGGING_LEVEL_WARNING);
  }

  bool Read(const std::string& fileName, int bakeSize, TOcioLutData& data,
            std::string& error) const override {
    // OpenColorIO keeps every file it has read in a cache keyed by name; a
    // file rewritten under the same name must be read again.
    const std::lock_guard lock(Mutex);
    LogTarget = &data;
    struct TEndLog {
      ~TEndLog() { LogTarget = nullptr; }
    } endLog;
    try {
      OCIO::ClearAllCaches();
      const OCIO::ConstConfigRcPtr config = OCIO::Config::CreateRaw();
      const OCIO::FileTransformRcPtr file = OCIO::FileTransform::Create();
      file->setSrc(fileName.c_str());
      file->setInterpolation(OCIO::INTERP_LINEAR);
      const OCIO::ConstProcessorRcPtr processor = config->getProcessor(file);
      const OCIO::GroupTransformRcPtr group = processor->createGroupTransform();
      TakeDescriptions(group->getFormatMetadata(), data);
      if (!TakeOver(*group, data)) {
        TOcioLutData baked;
        baked.Comments = std::move(data.Comments);
        baked.LogCount = data.LogCount;
        baked.FirstLog = std::move(data.FirstLog);
        data = std::move(baked);
        Bake(*processor, *group, bakeSize, data);
      }
      return true;
    } catch (const std::exception& e) {
      error = e.what();
      return false;
    }
  }

  bool WriteClf(const TOcioLutData& data, std::string& text, std::string& error) const override {
    try {
      const OCIO::GroupTransformRcPtr group = OCIO::GroupTransform::Create();
      for (const std::string& comment : data.Comments)
        group->getFormatMetadata().addChildElement(OCIO::METADATA_DESCRIPTION, comment.c_str());
      if (const OCIO::TransformRcPtr domain = Domain(data)) group->appendTransform(domain);
      if (data.Size1D > 0) group->appendTransform(Curves(data));
      if (data.Size3D > 0) {
        const auto n = static_cast<unsigned long>(data.Size3D);
        const OCIO::Lut3DTransformRcPtr cube = OCIO::Lut3DTransform::Create(n);
        std::size_t k = 0;
        for (unsigned long r = 0; r < n; ++r)
          for (unsigned long g = 0; g < n; ++g)
            for (unsigned long b = 0; b < n; ++b, k += 3)
              cube->setValue(r, g, b, static_cast<float>(data.Cube[k]),
                             static_cast<float>(data.Cube[k + 1]), static_cast<float>(data.Cube[k + 2]));
        group->appendTransform(cube);
      }
      std::ostringstream out;
      group->write(OCIO::Config::CreateRaw(), "Academy/ASC Common LUT Format", out);
      text = out.str();
      return true;
    } catch (const std::exception& e) {
      error = e.what();
      return false;
    }
  }

 private:
  // A domain other than 0..1 as the scale and offset onto 0..1 in front of
  // the first table, which the reader takes back as the domain; none for 0..1.
  static OCIO::TransformRcPtr Domain(const TOcioLutData& data) {
    bool unit = true;
    for (int c = 0; c < 3; ++c) unit = unit && data.DomainMin[c] == 0 && data.DomainMax[c] == 1;
    if (unit) return nullptr;
    double m[16] = {0}, offset[4] = {0, 0, 0, 0};
    for (int c = 0; c < 3; ++c) {
      const double s = 1 / (data.DomainMax[c] - data.DomainMin[c]);
      m[c * 5] = s;
      offset[c] = -data.DomainMin[c] * s;
    }
    m[15] = 1;
    const OCIO::MatrixTransformRcPtr matrix = OCIO::MatrixTransform::Create();
    matrix->setMatrix(m);
    matrix->setOffset(offset);
    return matrix;
  }

  // A straight line from lo to hi, the same in every channel, is an input
  // domain: it goes out as a Range; other curves as a LUT1D.
  static OCIO::TransformRcPtr Curves(const TOcioLutData& data) {
    const std::vector<double>& v = data.Curve;
    if (data.Size1D == 2 && v[0] == v[1] && v[0] == v[2] && v[3] == v[4] && v[3] == v[5] &&
        v[0] < v[3]) {
      const OCIO::RangeTransformRcPtr range = OCIO::RangeTransform::Create();
      range->setStyle(OCIO::RANGE_CLAMP);
      range->setMinInValue(0);
      range->setMaxInValue(1);
      range->setMinOutValue(v[0]);
      range->setMaxOutValue(v[3]);
      return range;
    }
    const auto m = static_cast<unsigned long>(data.Size1D);
    const OCIO::Lut1DTransformRcPtr lut = OCIO::Lut1DTransform::Create(m, false);
    for (unsigned long i = 0; i < m; ++i)
      lut->setValue(i, static_cast<float>(v[3 * i]), static_cast<float>(v[3 * i + 1]),
                    static_cast<float>(v[3 * i + 2]));
    return lut;
  }

  inline static std::mutex Mutex;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const IOcioBridge* ToviOcioBridge() {
  static const TOcioBridge bridge;
  return &bridge;
}
