// Draws the VU meter's artwork and writes it as the C++ tables of MeterArtwork.h:
//   MakeMeterArtwork OUTPUT.cpp [FACE.pgm]
// The meter is a classic moving-coil VU meter: a backlit face (brighter towards the lamp that sits
// between the two meters, so the right meter's mirrored face is lit from the other side), a scale arc
// from -20 to +3 VU with a heavier red-zone band above 0, major and minor ticks, figures, the "VU"
// legend, a dark pivot housing at the bottom and a bezel. Shapes are drawn with 4 x 4 supersampling, so
// edges are smooth. Needle positions 0..128 are linear in signal level, 0 VU at position 90.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kW = 144;
constexpr int kH = 80;
constexpr int kPositions = 129;
constexpr int kMaxNeedle = 186;
constexpr double kPivotX = 71.5;
constexpr double kPivotY = 114.0;
constexpr double kSweep = 48.0; // degrees each side of vertical
constexpr double kPi = 3.14159265358979323846;
constexpr int kSub = 4;

double AngleOf(double position) { return (-kSweep + 2.0 * kSweep * position / 128.0) * kPi / 180.0; }
double PositionOfVu(double db) { return 90.0 * std::pow(10.0, db / 20.0); }

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay;
    const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// Fraction of the pixel's sub-samples for which `inside` holds.
double Coverage(int x, int y, const std::function<bool(double, double)> &inside)
{
    int hits = 0;
    for (int sy = 0; sy < kSub; ++sy)
        for (int sx = 0; sx < kSub; ++sx)
            if (inside(x + (sx + 0.5) / kSub, y + (sy + 0.5) / kSub))
                ++hits;
    return static_cast<double>(hits) / (kSub * kSub);
}

// 3 x 5 figures.
const std::array<const char *, 14> kGlyphs = {
    "111101101101111", "010110010010111", "111001111100111", "111001111001111", "101101111001001",
    "111100111001111", "111100111101111", "111001010010010", "111101111101111", "111101111001111",
    "000000111000000", "000010111010000", "101101101101010", "101101101101111"};
int GlyphIndex(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c == '-')
        return 10;
    if (c == '+')
        return 11;
    if (c == 'V')
        return 12;
    return 13; // 'U'
}

struct Canvas {
    std::vector<double> mask = std::vector<double>(kW * kH, 0.0); // 0..1 darkness
    void Paint(const std::function<bool(double, double)> &inside, double strength = 1.0)
    {
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const double c = Coverage(x, y, inside) * strength;
                double &m = mask[static_cast<std::size_t>(y * kW + x)];
                m = 1.0 - (1.0 - m) * (1.0 - c);
            }
    }
    // Text centred on (cx, cy), each glyph cell `scale` pixels per dot.
    void Text(const std::string &text, double cx, double cy, double scale)
    {
        const double width = (static_cast<double>(text.size()) * 4.0 - 1.0) * scale;
        const double left = cx - width / 2.0, top = cy - 2.5 * scale;
        Paint([&](double px, double py) {
            const int col = static_cast<int>(std::floor((px - left) / scale));
            const int row = static_cast<int>(std::floor((py - top) / scale));
            if (px < left || py < top || row < 0 || row >= 5 || col < 0)
                return false;
            const std::size_t glyph = static_cast<std::size_t>(col / 4);
            if (glyph >= text.size() || col % 4 == 3)
                return false;
            return kGlyphs[static_cast<std::size_t>(GlyphIndex(text[glyph]))][row * 3 + col % 4] == '1';
        });
    }
};

bool OnArc(double px, double py, double r0, double r1, double a0, double a1)
{
    const double r = std::hypot(px - kPivotX, py - kPivotY);
    const double a = std::atan2(px - kPivotX, kPivotY - py);
    return r >= r0 && r <= r1 && a >= a0 && a <= a1;
}

std::vector<std::uint8_t> Face()
{
    std::vector<std::uint8_t> face(kW * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            // The lamp sits beyond the right edge, between the two meters, a little above the scale.
            const double dx = (x - 170.0) / 110.0, dy = (y - 30.0) / 70.0;
            const double glow = std::exp(-(dx * dx + dy * dy));
            const double grain = 3.0 * std::sin(x * 12.9898 + y * 78.233);
            face[static_cast<std::size_t>(y * kW + x)] =
                static_cast<std::uint8_t>(std::clamp(70.0 + 150.0 * glow + grain, 0.0, 255.0));
        }
    return face;
}

std::vector<std::uint8_t> Mask()
{
    Canvas canvas;
    const double a0 = AngleOf(0), a1 = AngleOf(128), zero = AngleOf(90);
    const double arc = 76.0;
    // Scale arc, and the red-zone band from 0 VU up.
    canvas.Paint([&](double px, double py) { return OnArc(px, py, arc - 0.6, arc + 0.6, a0, a1); });
    canvas.Paint([&](double px, double py) { return OnArc(px, py, arc + 0.6, arc + 3.6, zero, a1); }, 0.85);
    // Ticks: major at the figures, minor between.
    const std::array<double, 11> major = {-20, -10, -7, -5, -3, -2, -1, 0, 1, 2, 3};
    for (double db : major) {
        const double a = AngleOf(PositionOfVu(db));
        const bool figure = db == -20 || db == -10 || db == -7 || db == -5 || db == -3 || db == 0 || db == 3;
        const double r1 = arc + (figure ? 6.5 : 4.5);
        canvas.Paint([&](double px, double py) {
            return SegmentDistance(px, py, kPivotX + arc * std::sin(a), kPivotY - arc * std::cos(a),
                                   kPivotX + r1 * std::sin(a), kPivotY - r1 * std::cos(a)) < 0.65;
        });
    }
    for (double db : {-15.0, -12.0, -8.5, -6.0, -4.0, -2.5, -1.5, -0.5, 0.5, 1.5, 2.5}) {
        const double a = AngleOf(PositionOfVu(db));
        canvas.Paint([&](double px, double py) {
            return SegmentDistance(px, py, kPivotX + arc * std::sin(a), kPivotY - arc * std::cos(a),
                                   kPivotX + (arc + 2.5) * std::sin(a), kPivotY - (arc + 2.5) * std::cos(a)) < 0.45;
        });
    }
    // Figures above the ticks.
    const struct {
        double db;
        const char *text;
    } figures[] = {{-20, "20"}, {-10, "10"}, {-7, "7"}, {-5, "5"}, {-3, "3"}, {0, "0"}, {3, "3"}};
    for (const auto &f : figures) {
        const double a = AngleOf(PositionOfVu(f.db));
        canvas.Text(f.text, kPivotX + (arc + 10.0) * std::sin(a), kPivotY - (arc + 10.0) * std::cos(a), 1.0);
    }
    canvas.Text("-", kPivotX + (arc - 8.0) * std::sin(a0 + 0.05), kPivotY - (arc - 8.0) * std::cos(a0 + 0.05), 1.0);
    canvas.Text("+", kPivotX + (arc - 8.0) * std::sin(a1 - 0.05), kPivotY - (arc - 8.0) * std::cos(a1 - 0.05), 1.0);
    canvas.Text("VU", kPivotX, 58.0, 2.0);
    // Pivot housing: a dark dome rising from the bottom edge.
    canvas.Paint([&](double px, double py) { return std::hypot(px - kPivotX, py - kPivotY) < 42.0; });
    canvas.Paint([&](double px, double py) { return std::hypot(px - kPivotX, py - kPivotY) < 44.5; }, 0.45);
    // Bezel: a black frame with a soft inner shadow.
    canvas.Paint([&](double px, double py) { return px < 2 || py < 2 || px > kW - 2 || py > kH - 2; });
    canvas.Paint([&](double px, double py) { return px < 4 || py < 4 || px > kW - 4 || py > kH - 4; }, 0.45);
    canvas.Paint([&](double px, double py) { return px < 6 || py < 6; }, 0.25);

    std::vector<std::uint8_t> mask(kW * kH);
    for (std::size_t i = 0; i < mask.size(); ++i)
        mask[i] = static_cast<std::uint8_t>(std::lround(std::clamp(canvas.mask[i], 0.0, 1.0) * 255.0));
    return mask;
}

std::vector<std::uint8_t> Encode(const std::vector<std::uint8_t> &mask)
{
    std::vector<std::uint8_t> code;
    for (std::size_t i = 0; i < mask.size();) {
        const std::uint8_t v = mask[i];
        if (v == 0 || v == 255) {
            std::size_t run = 1;
            while (i + run < mask.size() && mask[i + run] == v && run < 255)
                ++run;
            code.push_back(v);
            code.push_back(static_cast<std::uint8_t>(run));
            i += run;
        } else {
            code.push_back(v);
            ++i;
        }
    }
    return code;
}

std::vector<std::uint32_t> Needle(int position)
{
    const double a = AngleOf(position);
    const double tipX = kPivotX + 84.0 * std::sin(a), tipY = kPivotY - 84.0 * std::cos(a);
    struct Entry {
        int index;
        int darkness;
    };
    std::vector<Entry> entries;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const double c = Coverage(x, y, [&](double px, double py) {
                return SegmentDistance(px, py, kPivotX, kPivotY, tipX, tipY) < 0.7;
            });
            if (c > 0.05)
                entries.push_back({y * kW + x, std::min(255, static_cast<int>(std::lround(c * 1.4 * 255.0)))});
        }
    // Keep the darkest when the list would be too long (it never is for this geometry).
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &l, const Entry &r) { return l.darkness > r.darkness; });
    if (entries.size() > kMaxNeedle)
        entries.resize(kMaxNeedle);
    std::vector<std::uint32_t> out;
    for (const Entry &e : entries)
        out.push_back(static_cast<std::uint32_t>(e.index) | (static_cast<std::uint32_t>(e.darkness) << 16));
    return out;
}

void WriteBytes(FILE *f, const char *decl, const std::vector<std::uint8_t> &bytes)
{
    std::fprintf(f, "%s = {", decl);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        std::fprintf(f, "%s%u,", i % 24 == 0 ? "\n    " : "", bytes[i]);
    std::fprintf(f, "\n};\n");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: MakeMeterArtwork OUTPUT.cpp [PREVIEW.pgm]\n");
        return 2;
    }
    const std::vector<std::uint8_t> face = Face();
    const std::vector<std::uint8_t> mask = Mask();
    const std::vector<std::uint8_t> code = Encode(mask);

    FILE *f = std::fopen(argv[1], "w");
    if (!f)
        return 1;
    std::fprintf(f, "// Generated by MakeMeterArtwork; do not edit.\n#include \"plugins/visuals/levelmeter/MeterArtwork.h\"\n\n"
                    "namespace MeterArtwork {\n\n");
    WriteBytes(f, "const std::uint8_t kFace[kPixels]", face);
    WriteBytes(f, "const std::uint8_t kMaskRle[]", code);
    std::fprintf(f, "const std::size_t kMaskRleSize = sizeof(kMaskRle);\n\n");
    std::vector<std::uint8_t> counts;
    std::fprintf(f, "const std::uint32_t kNeedle[kPositions][kMaxNeedlePixels] = {\n");
    for (int p = 0; p < kPositions; ++p) {
        const std::vector<std::uint32_t> needle = Needle(p);
        counts.push_back(static_cast<std::uint8_t>(needle.size()));
        std::fprintf(f, "    {");
        for (std::size_t i = 0; i < needle.size(); ++i)
            std::fprintf(f, "%s0x%06X,", i % 10 == 0 ? "\n        " : "", needle[i]);
        std::fprintf(f, "},\n");
    }
    std::fprintf(f, "};\n");
    WriteBytes(f, "const std::uint8_t kNeedleCount[kPositions]", counts);
    std::fprintf(f, "\n} // namespace MeterArtwork\n");
    const bool ok = std::fclose(f) == 0;

    if (argc > 2) {
        // A preview of the face with its markings, for looking at the drawing.
        FILE *pgm = std::fopen(argv[2], "wb");
        if (!pgm)
            return 1;
        std::fprintf(pgm, "P5\n%d %d\n255\n", kW, kH);
        for (int i = 0; i < kW * kH; ++i) {
            const int g = face[static_cast<std::size_t>(i)], m = mask[static_cast<std::size_t>(i)];
            std::fputc(m == 255 ? 0 : g - m * g / 256, pgm);
        }
        std::fclose(pgm);
    }
    return ok ? 0 : 1;
}
