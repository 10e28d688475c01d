#include "art.h"

#include "noise.h"
#include "rng.h"

#include <SDL_ttf.h>

#include <utility>

namespace assetgen {

namespace {

using Sample = std::pair<Col, float>;
constexpr Sample kClear{Col{}, 0.0f};

// Where colour keying punches holes, partly covered edges are flattened onto
// the backdrop they will mostly be seen against: the night sky.
const Col kSkyGuess = rgb(16, 16, 38);

Keying blackKey() { return Keying{{0, 0, 0}, kSkyGuess, 0.3f}; }
Keying frameKey() { return Keying{{kFrameKey, kFrameKey, kFrameKey}, kSkyGuess, 0.5f}; }
Keying opaque() { return Keying{{0, 0, 0}, kSkyGuess, 0.0f}; }

// Warm cream for secondary lettering, gold for titles: one family of colours
// across every screen.
Lettering goldTitle()
{
    Lettering s;
    s.top = rgb(255, 246, 178);
    s.bottom = rgb(255, 128, 24);
    s.outline = rgb(42, 14, 30);
    s.outlineWidth = 6;
    s.bevel = 0.9f;
    s.gloss = 0.35f;
    s.shadow = rgb(6, 4, 14);
    s.shadowOpacity = 0.75f;
    s.shadowDx = 6;
    s.shadowDy = 8;
    s.shadowBlur = 4;
    s.glow = rgb(255, 150, 60);
    s.glowOpacity = 0.35f;
    s.glowBlur = 10;
    return s;
}

Lettering creamText(float outline)
{
    Lettering s;
    s.top = rgb(255, 252, 238);
    s.bottom = rgb(255, 214, 140);
    s.outline = rgb(28, 16, 34);
    s.outlineWidth = outline;
    s.bevel = 0.35f;
    s.gloss = 0.15f;
    s.shadowOpacity = 0.5f;
    s.shadowDx = 2;
    s.shadowDy = 3;
    s.shadowBlur = 1;
    return s;
}

Lettering goldLabel()
{
    Lettering s;
    s.top = rgb(255, 236, 150);
    s.bottom = rgb(236, 150, 40);
    s.outline = rgb(12, 10, 24);
    s.outlineWidth = 1.5f;
    s.bevel = 0.3f;
    s.gloss = 0.2f;
    s.shadowOpacity = 0;
    return s;
}

// ---------------------------------------------------------------- cells

const std::array<std::array<int, 8>, 7> kShapes = {{
    // cells as (column, row) pairs
    {0, 0, 1, 0, 2, 0, 3, 0}, // I
    {0, 0, 1, 0, 0, 1, 1, 1}, // O
    {0, 0, 1, 0, 2, 0, 1, 1}, // T
    {1, 0, 2, 0, 0, 1, 1, 1}, // S
    {0, 0, 1, 0, 1, 1, 2, 1}, // Z
    {0, 0, 0, 1, 1, 1, 2, 1}, // J
    {2, 0, 0, 1, 1, 1, 2, 1}, // L
}};

void drawPiece(Canvas& c, int shape, bool vertical, float x, float y, float size, Col base)
{
    const auto& s = kShapes[static_cast<std::size_t>(shape)];
    for (int i = 0; i < 4; ++i) {
        const int col = s[static_cast<std::size_t>(2 * i)], row = s[static_cast<std::size_t>(2 * i + 1)];
        const float cx = static_cast<float>(vertical ? row : col), cy = static_cast<float>(vertical ? col : row);
        drawCell(c, x + cx * size, y + cy * size, size, base);
    }
}

// A faint streak above each column of a piece, so it reads as falling.
void drawTrail(Canvas& c, int shape, bool vertical, float x, float y, float size, Col base)
{
    const auto& s = kShapes[static_cast<std::size_t>(shape)];
    for (int i = 0; i < 4; ++i) {
        const int col = s[static_cast<std::size_t>(2 * i)], row = s[static_cast<std::size_t>(2 * i + 1)];
        const float cx = static_cast<float>(vertical ? row : col), cy = static_cast<float>(vertical ? col : row);
        // only the topmost cell of a column trails
        bool topmost = true;
        for (int j = 0; j < 4; ++j) {
            const int c2 = s[static_cast<std::size_t>(2 * j)], r2 = s[static_cast<std::size_t>(2 * j + 1)];
            const float ox = static_cast<float>(vertical ? r2 : c2), oy = static_cast<float>(vertical ? c2 : r2);
            if (ox == cx && oy < cy)
                topmost = false;
        }
        if (!topmost)
            continue;
        const float x0 = x + cx * size + size * 0.12f, x1 = x + (cx + 1) * size - size * 0.12f;
        const float yb = y + cy * size, len = size * 3.2f;
        c.shade(static_cast<int>(x0), static_cast<int>(yb - len), static_cast<int>(x1) + 1, static_cast<int>(yb) + 1, 2,
                [&](float px, float py) -> Sample {
                    if (px < x0 || px > x1 || py > yb || py < yb - len)
                        return kClear;
                    const float t = (yb - py) / len;
                    const float edge = std::min(px - x0, x1 - px) / (x1 - x0) * 2;
                    return {lighten(base, 0.3f), 0.32f * (1 - t) * (1 - t) * smoothstep(0, 0.5f, edge)};
                });
    }
}

// ---------------------------------------------------------------- sky

constexpr int kSkyPeriod = kLoopHeight;

// The nebula's colour at a point; periodic in y with the loop's height.
Col nebula(const PeriodicNoise& warpA, const PeriodicNoise& warpB, const PeriodicNoise& cloud,
           const PeriodicNoise& hue, const PeriodicNoise& dust, float x, float y)
{
    const float wx = warpA.fbm(x, y, 600, kSkyPeriod, 3);
    const float wy = warpB.fbm(x, y, 600, kSkyPeriod, 3);
    const float qx = x + 140 * wx, qy = y + 140 * wy;
    const float d = cloud.fbm(qx, qy, 400, kSkyPeriod, 6);
    const float density = std::pow(smoothstep(-0.25f, 0.75f, d), 1.5f);
    const float ridge = 1.0f - std::fabs(cloud.fbm(qx * 1.0f + 313, qy, 300, kSkyPeriod, 5));
    const float filament = std::pow(clamp01(ridge), 9.0f);
    const float h = smoothstep(-0.45f, 0.45f, hue.fbm(x, y, 800, kSkyPeriod, 3));
    const float lane = smoothstep(0.05f, 0.55f, dust.fbm(qx, qy, 200, kSkyPeriod, 4));

    const Col violet = rgb(112, 44, 150), teal = rgb(24, 96, 140), rose = rgb(210, 110, 170);
    const Col sky = mix(rgb(6, 8, 22), rgb(10, 10, 30), h);
    Col c = sky + mix(violet, teal, h) * (0.42f * density);
    c = c + mix(rose, rgb(120, 200, 230), h) * (0.22f * filament * (0.3f + density));
    c = c * (1.0f - 0.55f * lane * density);
    return c;
}

void fillNebula(Canvas& c, std::uint64_t seed, int yOffset)
{
    const PeriodicNoise warpA(seed + 1), warpB(seed + 2), cloud(seed + 3), hue(seed + 4), dust(seed + 5);
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const Col col = nebula(warpA, warpB, cloud, hue, dust, static_cast<float>(x),
                                   static_cast<float>(y + yOffset));
            c.at(x, y) = premul(col, 1.0f);
        }
}

// Stars are soft dots; the brightest get a small cross glint. With wrapY the
// rows wrap round, so stars straddling the loop's ends stay whole.
void addStars(Canvas& c, std::uint64_t seed, int count, bool wrapY)
{
    Rng rng(seed);
    const Col tints[] = {rgb(200, 215, 255), rgb(255, 255, 255), rgb(255, 236, 200), rgb(190, 225, 255)};
    for (int i = 0; i < count; ++i) {
        const float sx = static_cast<float>(rng.range(0, c.width()));
        const float sy = static_cast<float>(rng.range(0, c.height()));
        const float b = static_cast<float>(std::pow(rng.uniform(), 5.0));
        const Col tint = tints[rng.below(4)];
        const float intensity = 0.10f + 0.85f * b;
        const float sigma = 0.45f + 0.7f * b;
        const int r = static_cast<int>(std::ceil(3 * sigma)) + 1;
        auto put = [&](int x, int y, float k) {
            if (wrapY)
                y = ((y % c.height()) + c.height()) % c.height();
            c.add(x, y, tint * k);
        };
        const int ix = static_cast<int>(sx), iy = static_cast<int>(sy);
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx) {
                const float fx = ix + dx + 0.5f - sx, fy = iy + dy + 0.5f - sy;
                const float k = intensity * std::exp(-(fx * fx + fy * fy) / (2 * sigma * sigma));
                if (k > 0.004f)
                    put(ix + dx, iy + dy, k);
            }
        if (b > 0.45f) {
            const int len = static_cast<int>(3 + 7 * b);
            for (int k = 2; k <= len; ++k) {
                const float f = intensity * 0.45f * (1.0f - static_cast<float>(k) / (len + 1));
                put(ix + k, iy, f);
                put(ix - k, iy, f);
                put(ix, iy + k, f);
                put(ix, iy - k, f);
            }
        }
    }
}

// Nothing in a backdrop may be pure black: the game keys black out.
void liftBlacks(Canvas& c)
{
    const Col floor = rgb(3, 4, 12);
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            Px& p = c.at(x, y);
            p.r = std::max(p.r, floor.r);
            p.g = std::max(p.g, floor.g);
            p.b = std::max(p.b, floor.b);
            p.a = 1;
        }
}

void vignette(Canvas& c, float strength)
{
    const float cx = c.width() * 0.5f, cy = c.height() * 0.5f;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const float dx = (x - cx) / cx, dy = (y - cy) / cy;
            const float k = 1.0f - strength * smoothstep(0.35f, 1.5f, dx * dx + dy * dy);
            Px& p = c.at(x, y);
            p.r *= k;
            p.g *= k;
            p.b *= k;
        }
}

Canvas screenBackdrop(std::uint64_t seed, int yOffset)
{
    Canvas c(800, 600);
    fillNebula(c, seed, yOffset);
    // The menus can afford a richer sky than the playfield.
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            Px& p = c.at(x, y);
            p.r *= 1.5f;
            p.g *= 1.5f;
            p.b *= 1.5f;
        }
    addStars(c, seed * 7 + 1, 420, false);
    vignette(c, 0.55f);
    liftBlacks(c);
    return c;
}

// ---------------------------------------------------------------- frames

// The game's metal: a steel band with a black rim, lit from the upper left,
// with a gold inlay at its core. `sdf` is negative inside the band.
struct Metal {
    Col steel = rgb(84, 96, 148);
    Col gold = rgb(236, 184, 72);
    float rim = 1.0f;
    float bevel = 1.6f;
    float inlay = 3.6f; // depth from which the gold inlay starts; 0 for none
    Col rimColour = rgb(0, 0, 0);
};

template <class Sdf>
void shadeMetal(Canvas& c, int x0, int y0, int x1, int y1, const Metal& m, Sdf sdf)
{
    c.shade(x0, y0, x1, y1, 3, [&](float x, float y) -> Sample {
        const float d = -sdf(x, y);
        if (d < 0)
            return kClear;
        const float nx = sdf(x + 0.5f, y) - sdf(x - 0.5f, y);
        const float ny = sdf(x, y + 0.5f) - sdf(x, y - 0.5f);
        const float len = std::sqrt(nx * nx + ny * ny) + 1e-6f;
        const float facing = (-0.6f * nx - 0.8f * ny) / len;
        if (d < m.rim)
            return {m.rimColour, 1};
        if (d < m.rim + m.bevel) {
            const Col c2 = facing > 0 ? lighten(m.steel, 0.55f * facing) : darken(m.steel, 0.65f * -facing);
            return {c2, 1};
        }
        if (m.inlay > 0 && d >= m.inlay) {
            const float t = clamp01((d - m.inlay) / 1.2f);
            return {mix(darken(m.gold, 0.45f), lighten(m.gold, 0.15f), t), 1};
        }
        // the body is faintly lit on the side facing the light
        const float t = (d - m.rim - m.bevel) / 3.0f;
        return {mix(lighten(m.steel, 0.08f + 0.1f * facing), darken(m.steel, 0.15f), clamp01(t)), 1};
    });
}

float boxDistance(float x, float y, float x0, float y0, float x1, float y1)
{
    return roundedBoxDistance(x, y, x0, y0, x1, y1, 0.0f);
}

// The well frame: a U of metal, open at the top, around the 190 x 494 well.
Picture wellFrame()
{
    Canvas c(360, 504);
    const float ox0 = 149, ox1 = 359, oy1 = 504; // outer edge
    const float ix0 = 159, ix1 = 349, iy1 = 494; // the opening
    Metal m;
    m.inlay = 3.9f;
    shadeMetal(c, 140, 0, 360, 504, m, [&](float x, float y) {
        const float outer = roundedBoxDistance(x, y, ox0, -40, ox1, oy1, 7);
        const float inner = boxDistance(x, y, ix0, -80, ix1, iy1);
        const float cap = -y + 0.0f; // the bars end flat at the top of the well
        return std::max({outer, -inner, cap});
    });
    // The studs mark every other row, which helps judge heights on a tall stack.
    for (int row = 2; row < 26; row += 2) {
        const float cy = static_cast<float>(row * 19);
        for (float cx : {154.0f, 354.0f}) {
            c.shade(static_cast<int>(cx) - 4, static_cast<int>(cy) - 4, static_cast<int>(cx) + 5,
                    static_cast<int>(cy) + 5, 4, [&](float x, float y) -> Sample {
                        const float dx = x - cx, dy = y - cy, r = std::sqrt(dx * dx + dy * dy);
                        if (r > 2.6f)
                            return kClear;
                        if (r > 1.9f)
                            return {rgb(20, 14, 10), 1};
                        return {mix(rgb(255, 240, 180), rgb(190, 130, 40), clamp01((dx + dy) / 3.0f + 0.5f)), 1};
                    });
        }
    }
    return {"bordocampo.bmp", std::move(c), frameKey()};
}

void darkPanel(Canvas& c, float x0, float y0, float x1, float y1, float radius, Col top, Col bottom)
{
    c.shade(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1) + 1, static_cast<int>(y1) + 1, 3,
            [&](float x, float y) -> Sample {
                const float d = roundedBoxDistance(x, y, x0, y0, x1, y1, radius);
                if (d > 0)
                    return kClear;
                // a soft inner shadow under the top edge makes the panel sit behind the frame
                const float shade = 1.0f - 0.35f * smoothstep(6, 0, -d) * smoothstep(y0 + 14, y0, y);
                return {mix(top, bottom, (y - y0) / (y1 - y0)) * shade, 1};
            });
}

void goldRule(Canvas& c, float x0, float x1, float y)
{
    c.shade(static_cast<int>(x0), static_cast<int>(y) - 2, static_cast<int>(x1) + 1, static_cast<int>(y) + 3, 3,
            [&](float x, float py) -> Sample {
                const float fade = smoothstep(x0, x0 + 18, x) * smoothstep(x1, x1 - 18, x);
                const float dy = std::fabs(py - y);
                if (dy > 1.0f)
                    return kClear;
                return {mix(rgb(255, 226, 140), rgb(160, 104, 30), dy), fade * 0.9f};
            });
}

// The statistics frame: a tall panel with the title plate on top.
Picture statsFrame(Fonts& fonts)
{
    Canvas c(120, 290);
    darkPanel(c, 3, 3, 117, 287, 8, rgb(20, 22, 48), rgb(10, 12, 30));
    Metal m;
    m.inlay = 0;
    m.bevel = 1.4f;
    shadeMetal(c, 0, 0, 120, 290, m, [&](float x, float y) {
        const float outer = roundedBoxDistance(x, y, 0, 0, 120, 290, 10);
        const float inner = roundedBoxDistance(x, y, 6, 6, 114, 284, 5);
        return std::max(outer, -inner);
    });
    placeText(c, fonts.get(Weight::Bold, 22), "PEZZI", 60, 9, goldLabel());
    goldRule(c, 10, 110, 31);
    return {"bordostatistiche.bmp", std::move(c), frameKey()};
}

// The score panel. The lines count is drawn at y 25..65 and the score at
// 75..115 (panel rows), so the labels sit above and below that band and the
// middle stays a plain dark field for the white digits.
Picture scorePanel(Fonts& fonts)
{
    Canvas c(200, 140);
    darkPanel(c, 2, 2, 198, 138, 12, rgb(20, 22, 48), rgb(10, 12, 30));
    Metal m;
    m.inlay = 0;
    m.bevel = 1.4f;
    m.rimColour = rgb(10, 8, 20); // black would be keyed out here
    shadeMetal(c, 0, 0, 200, 140, m, [&](float x, float y) {
        const float outer = roundedBoxDistance(x, y, 0, 0, 200, 140, 13);
        const float inner = roundedBoxDistance(x, y, 5, 5, 195, 135, 8);
        return std::max(outer, -inner);
    });
    TTF_Font* f = fonts.get(Weight::Bold, 17);
    placeText(c, f, "LINEE", 92.5f, 8, goldLabel());
    placeText(c, f, "PUNTI", 87.5f, 119, goldLabel());
    goldRule(c, 20, 180, 70);
    return {"sfondopunti.bmp", std::move(c), blackKey()};
}

// ---------------------------------------------------------------- lettering

Picture pointsPicture(Fonts& fonts, const char* text, int w, int h, const Lettering& s)
{
    Canvas c(w, h);
    const int pt = fitPointSize(fonts, Weight::Bold, text, w - 2, h - 2, s, h + 8);
    const Mask glyphs = textMask(fonts.get(Weight::Bold, pt), text, letteringPad(s));
    const Mask::Box ink = glyphs.ink();
    const int shadowX = s.shadowOpacity > 0 ? s.shadowDx : 0, shadowY = s.shadowOpacity > 0 ? s.shadowDy : 0;
    const float cx = (w - shadowX) * 0.5f, cy = (h - shadowY) * 0.5f;
    const int ox = static_cast<int>(std::lround(cx - (ink.x0 + ink.x1 + 1) * 0.5f));
    const int oy = static_cast<int>(std::lround(cy - (ink.y0 + ink.y1 + 1) * 0.5f));
    drawLettering(c, glyphs, ox, oy, s);
    return {std::string(text) + ".bmp", std::move(c), blackKey()};
}

std::vector<Picture> pointsPictures(Fonts& fonts)
{
    std::vector<Picture> out;
    Lettering one;
    one.top = rgb(226, 238, 255);
    one.bottom = rgb(120, 170, 235);
    one.outline = rgb(8, 14, 40);
    one.outlineWidth = 1;
    one.bevel = 0.25f;
    one.gloss = 0.1f;
    one.shadowOpacity = 0;
    out.push_back(pointsPicture(fonts, "100", 32, 16, one));

    Lettering two = one;
    two.top = rgb(240, 255, 200);
    two.bottom = rgb(70, 205, 80);
    two.outline = rgb(8, 30, 14);
    two.outlineWidth = 2;
    two.bevel = 0.4f;
    two.gloss = 0.2f;
    two.shadowOpacity = 0.6f;
    two.shadowDx = 1;
    two.shadowDy = 2;
    two.shadowBlur = 1;
    out.push_back(pointsPicture(fonts, "400", 64, 32, two));

    Lettering three = two;
    three.top = rgb(255, 250, 200);
    three.bottom = rgb(255, 150, 20);
    three.outline = rgb(44, 16, 10);
    three.outlineWidth = 3;
    three.bevel = 0.7f;
    three.gloss = 0.3f;
    three.shadowDx = 2;
    three.shadowDy = 3;
    out.push_back(pointsPicture(fonts, "900", 128, 64, three));

    Lettering four = three;
    four.top = rgb(255, 255, 236);
    four.bottom = rgb(255, 50, 130);
    four.outline = rgb(48, 6, 36);
    four.outlineWidth = 3;
    four.bevel = 0.9f;
    four.gloss = 0.4f;
    four.glow = rgb(255, 200, 90);
    four.glowOpacity = 0.55f;
    four.glowBlur = 2;
    out.push_back(pointsPicture(fonts, "1600", 128, 64, four));
    return out;
}

Picture gameOver(Fonts& fonts)
{
    Canvas c(500, 200);
    Lettering s = goldTitle();
    s.top = rgb(255, 238, 150);
    s.bottom = rgb(232, 46, 36);
    s.outline = rgb(34, 6, 14);
    s.outlineWidth = 5;
    s.glowOpacity = 0;
    s.shadowDx = 4;
    s.shadowDy = 6;
    s.shadowBlur = 3;
    const int pt = std::min(fitPointSize(fonts, Weight::Bold, "PARTITA", 470, 84, s, 120),
                            fitPointSize(fonts, Weight::Bold, "FINITA", 470, 84, s, 120));
    TTF_Font* f = fonts.get(Weight::Bold, pt);
    placeText(c, f, "PARTITA", 247, 10, s);
    placeText(c, f, "FINITA", 247, 106, s);
    return {"gameover.bmp", std::move(c), blackKey()};
}

// ---------------------------------------------------------------- screens

void drawArrow(Canvas& c, float cx, float cy, float dx, float dy, Col colour)
{
    const float len = 20, headLen = 9, head = 15, shaft = 5;
    c.shade(static_cast<int>(cx - 14), static_cast<int>(cy - 14), static_cast<int>(cx + 15), static_cast<int>(cy + 15),
            4, [&](float x, float y) -> Sample {
                const float a = (x - cx) * dx + (y - cy) * dy;  // along
                const float b = -(x - cx) * dy + (y - cy) * dx; // across
                const float tip = len / 2, base = tip - headLen;
                const bool inShaft = a >= -len / 2 && a <= base + 0.5f && std::fabs(b) <= shaft / 2;
                const bool inHead = a >= base && a <= tip && std::fabs(b) <= (tip - a) / headLen * head / 2;
                return {colour, inShaft || inHead ? 1.0f : 0.0f};
            });
}

// A keyboard key: dark rim, a skirt, and a lighter top face with its label.
void drawKey(Canvas& c, Fonts& fonts, float x0, float y0, float x1, float y1, const std::string& label, float arrowDx,
             float arrowDy)
{
    c.shade(static_cast<int>(x0) - 1, static_cast<int>(y0) - 1, static_cast<int>(x1) + 2, static_cast<int>(y1) + 6, 3,
            [&](float x, float y) -> Sample {
                // drop shadow
                const float sd = roundedBoxDistance(x, y, x0 + 2, y0 + 4, x1 + 2, y1 + 4, 8);
                return {rgb(4, 4, 12), 0.5f * smoothstep(1.5f, -1.5f, sd)};
            });
    c.shade(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1) + 1, static_cast<int>(y1) + 1, 3,
            [&](float x, float y) -> Sample {
                const float d = roundedBoxDistance(x, y, x0, y0, x1, y1, 8);
                if (d > 0)
                    return kClear;
                if (d > -1.3f)
                    return {rgb(14, 14, 24), 1};
                const float face = roundedBoxDistance(x, y, x0 + 4, y0 + 2.5f, x1 - 4, y1 - 7, 6);
                if (face > 0) {
                    // the skirt: lit on the left, shaded on the right and below
                    const float side = (x - (x0 + x1) / 2) / ((x1 - x0) / 2);
                    const Col skirt = mix(rgb(150, 156, 186), rgb(82, 86, 116), clamp01(0.5f + 0.5f * side));
                    return {mix(skirt, darken(skirt, 0.3f), clamp01((y - y0) / (y1 - y0))), 1};
                }
                const float t = clamp01((y - y0) / (y1 - y0 - 8));
                Col top = mix(rgb(242, 244, 252), rgb(196, 202, 224), t);
                if (face > -1.2f)
                    top = lighten(top, 0.3f);
                return {top, 1};
            });
    const float fx = (x0 + x1) / 2, fy = y0 + (y1 - y0 - 7) / 2 + 1;
    const Col ink = rgb(36, 34, 64);
    if (label.empty()) {
        drawArrow(c, fx, fy, arrowDx, arrowDy, ink);
        return;
    }
    Lettering s;
    s.top = ink;
    s.bottom = ink;
    s.outlineWidth = 0;
    s.bevel = 0;
    s.gloss = 0;
    s.shadowOpacity = 0;
    TTF_Font* f = fonts.get(Weight::Bold, label.size() == 1 ? 25 : 21);
    const Mask glyphs = textMask(f, label, 2);
    const Mask::Box ink_ = glyphs.ink();
    drawLettering(c, glyphs, static_cast<int>(std::lround(fx - (ink_.x0 + ink_.x1 + 1) * 0.5f)),
                  static_cast<int>(std::lround(fy - (ink_.y0 + ink_.y1 + 1) * 0.5f)), s);
}

void pressSpace(Canvas& c, Fonts& fonts, int y)
{
    Lettering s = creamText(3);
    s.glow = rgb(255, 190, 90);
    s.glowOpacity = 0.25f;
    s.glowBlur = 6;
    placeText(c, fonts.get(Weight::Bold, 34), "Premi SPAZIO per iniziare", 400, y, s);
}

Picture titleScreen(Fonts& fonts)
{
    Canvas c = screenBackdrop(9001, 300);
    const auto& cells = cellStyles();
    Rng rng(4242);

    // A heap of settled cells along the bottom, darkening into the floor.
    const float cs = 32;
    const int heights[25] = {3, 4, 2, 2, 3, 1, 2, 2, 1, 0, 1, 2, 1, 1, 2, 1, 0, 1, 2, 2, 3, 2, 4, 3, 3};
    for (int col = 0; col < 25; ++col)
        for (int h = 0; h < heights[col]; ++h) {
            if (h == 0 && (col == 7 || col == 18))
                continue; // a few holes, as in a real game
            drawCell(c, col * cs, 600 - (h + 1) * cs, cs, cells[static_cast<std::size_t>(rng.below(7))].base);
        }
    c.shade(0, 470, 800, 600, 1, [](float, float y) -> Sample {
        return {rgb(4, 4, 14), 0.55f * smoothstep(480, 600, y)};
    });

    struct Falling {
        int shape;
        bool vertical;
        float x, y;
        int colour;
    };
    const Falling pieces[] = {
        {2, false, 54, 40, 3}, {0, false, 612, 34, 4}, {3, false, 604, 350, 1},
        {6, false, 40, 336, 5}, {4, false, 330, 14, 2}, {1, false, 190, 440, 6}, {5, false, 520, 452, 0},
    };
    for (const Falling& p : pieces)
        drawTrail(c, p.shape, p.vertical, p.x, p.y, cs, cells[static_cast<std::size_t>(p.colour)].base);
    for (const Falling& p : pieces)
        drawPiece(c, p.shape, p.vertical, p.x, p.y, cs, cells[static_cast<std::size_t>(p.colour)].base);

    const Lettering title = goldTitle();
    const int pt = fitPointSize(fonts, Weight::Bold, "Dravo Vantle!", 730, 170, title, 200);
    placeText(c, fonts.get(Weight::Bold, pt), "Dravo Vantle!", 400, 142, title);
    Lettering sub = creamText(2.5f);
    sub.top = rgb(200, 230, 255);
    sub.bottom = rgb(130, 180, 250);
    placeText(c, fonts.get(Weight::Bold, 28), "un rompicapo a blocchi", 400, 296, sub);
    pressSpace(c, fonts, 392);
    return {"intro1tex.bmp", std::move(c), opaque()};
}

Picture controlsScreen(Fonts& fonts)
{
    Canvas c = screenBackdrop(9001, 1400);
    // A few pieces falling past the sides tie this screen to the title.
    const auto& cells = cellStyles();
    const float cs = 26;
    struct Side {
        int shape;
        bool vertical;
        float x, y;
        int colour;
    };
    for (const Side& p : {Side{0, true, 44, 150, 4}, Side{5, false, 20, 420, 0}, Side{3, true, 710, 110, 1},
                          Side{2, false, 690, 400, 5}}) {
        drawTrail(c, p.shape, p.vertical, p.x, p.y, cs, cells[static_cast<std::size_t>(p.colour)].base);
        drawPiece(c, p.shape, p.vertical, p.x, p.y, cs, cells[static_cast<std::size_t>(p.colour)].base);
    }
    placeText(c, fonts.get(Weight::Bold, 78), "Comandi", 400, 26, goldTitle());

    const float px0 = 120, py0 = 122, px1 = 680, py1 = 488;
    c.shade(static_cast<int>(px0), static_cast<int>(py0), static_cast<int>(px1) + 1, static_cast<int>(py1) + 1, 3,
            [&](float x, float y) -> Sample {
                const float d = roundedBoxDistance(x, y, px0, py0, px1, py1, 18);
                return {mix(rgb(16, 18, 44), rgb(8, 8, 24), (y - py0) / (py1 - py0)), 0.8f * smoothstep(0.5f, -0.5f, d)};
            });
    Metal m;
    m.inlay = 0;
    m.rimColour = rgb(8, 8, 16);
    shadeMetal(c, static_cast<int>(px0) - 1, static_cast<int>(py0) - 1, static_cast<int>(px1) + 2,
               static_cast<int>(py1) + 2, m, [&](float x, float y) {
                   const float outer = roundedBoxDistance(x, y, px0, py0, px1, py1, 18);
                   const float inner = roundedBoxDistance(x, y, px0 + 4, py0 + 4, px1 - 4, py1 - 4, 14);
                   return std::max(outer, -inner);
               });

    struct Row {
        std::vector<std::pair<std::string, std::pair<float, float>>> keys; // label or arrow direction
        float width;
        const char* action;
    };
    const Row rows[] = {
        {{{"", {-1, 0}}, {"", {1, 0}}}, 44, "muovi"},
        {{{"", {0, 1}}}, 44, "scendi"},
        {{{"SPAZIO", {0, 0}}}, 150, "ruota"},
        {{{"P", {0, 0}}}, 44, "pausa"},
        {{{"S", {0, 0}}}, 44, "suoni"},
        {{{"M", {0, 0}}}, 44, "musica"},
        {{{"ESC", {0, 0}}}, 66, "esci"},
    };
    const float keyRight = 372, textLeft = 404, pitch = 50, keyH = 40;
    float cy = py0 + 32;
    Lettering words = creamText(2.5f);
    for (const Row& r : rows) {
        float x = keyRight - r.keys.size() * r.width - (r.keys.size() - 1) * 8;
        for (const auto& [label, dir] : r.keys) {
            drawKey(c, fonts, x, cy - keyH / 2, x + r.width, cy + keyH / 2, label, dir.first, dir.second);
            x += r.width + 8;
        }
        const Mask glyphs = textMask(fonts.get(Weight::Bold, 32), r.action, letteringPad(words));
        const Mask::Box ink = glyphs.ink();
        // align on the x-height's middle, so that "scendi" and "pausa" sit alike
        drawLettering(c, glyphs, static_cast<int>(textLeft) - ink.x0,
                      static_cast<int>(cy) - (ink.y0 + ink.y1) / 2 + (r.action[0] == 'p' ? 4 : 0), words);
        cy += pitch;
    }
    pressSpace(c, fonts, 520);
    return {"intro2tex.bmp", std::move(c), opaque()};
}

} // namespace

const std::array<CellStyle, 7>& cellStyles()
{
    static const std::array<CellStyle, 7> styles = {{
        {"texBlu.bmp", rgb(46, 92, 236)},
        {"texVerde.bmp", rgb(22, 178, 84)},
        {"texRossa.bmp", rgb(228, 38, 48)},
        {"texGialla.bmp", rgb(252, 210, 36)},
        {"texAzzurra.bmp", rgb(70, 196, 246)},
        {"texArancione.bmp", rgb(252, 132, 26)},
        {"texPisello.bmp", rgb(160, 206, 56)},
    }};
    return styles;
}

void drawCell(Canvas& c, float x, float y, float s, Col base)
{
    const float k = s / 19.0f;
    const float rim = 1.0f * k, bevel = 3.2f * k;
    c.shade(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)), static_cast<int>(std::ceil(x + s)),
            static_cast<int>(std::ceil(y + s)), 4, [&](float px, float py) -> Sample {
                const float u = px - x, v = py - y;
                if (u < 0 || v < 0 || u > s || v > s)
                    return kClear;
                const float dl = u, dt = v, dr = s - u, db = s - v;
                const float e = std::min({dl, dt, dr, db});
                if (e < rim)
                    return {darken(base, 0.62f), 1};
                if (e < bevel) {
                    if (e == dt)
                        return {lighten(base, 0.55f), 1};
                    if (e == dl)
                        return {lighten(base, 0.25f), 1};
                    if (e == dr)
                        return {darken(base, 0.28f), 1};
                    return {darken(base, 0.45f), 1};
                }
                const float t = (v - bevel) / (s - 2 * bevel);
                Col col = mix(lighten(base, 0.10f), darken(base, 0.16f), t);
                // a soft glossy highlight across the upper face
                const float gx = (u - 0.45f * s) / (0.34f * s), gy = (v - 0.33f * s) / (0.17f * s);
                const float g = 1 - (gx * gx + gy * gy);
                if (g > 0)
                    col = lighten(col, 0.42f * smoothstep(0, 0.7f, g));
                const float sx = u - 0.29f * s, sy = v - 0.27f * s;
                if (sx * sx + sy * sy < 0.0049f * s * s)
                    col = lighten(col, 0.75f);
                return {col, 1};
            });
}

const std::array<const char*, 4>& loopBands()
{
    static const std::array<const char*, 4> bands = {"bgk2tex.bmp", "bgk3tex.bmp", "bgk4tex.bmp", "bgk1tex.bmp"};
    return bands;
}

Canvas backgroundLoop()
{
    Canvas c(kLoopWidth, kLoopHeight);
    fillNebula(c, 1234, 0);
    addStars(c, 5678, 1500, true);
    liftBlacks(c);
    return c;
}

std::vector<Picture> makePictures(Fonts& fonts)
{
    std::vector<Picture> out;
    for (const CellStyle& s : cellStyles()) {
        Canvas c(19, 19);
        drawCell(c, 0, 0, 19, s.base);
        out.push_back({s.file, std::move(c), opaque()});
    }
    out.push_back(gameOver(fonts));
    out.push_back(wellFrame());
    out.push_back(scorePanel(fonts));
    for (Picture& p : pointsPictures(fonts))
        out.push_back(std::move(p));
    out.push_back(titleScreen(fonts));
    out.push_back(controlsScreen(fonts));
    out.push_back(statsFrame(fonts));
    const Canvas loop = backgroundLoop();
    for (std::size_t i = 0; i < loopBands().size(); ++i)
        out.push_back({loopBands()[i], loop.crop(0, static_cast<int>(i) * 600, 800, 600), opaque()});
    return out;
}

} // namespace assetgen
