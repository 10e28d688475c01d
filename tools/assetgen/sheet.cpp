#include "sheet.h"

#include "art.h"
#include "text.h"

#include <SDL.h>
#include <SDL_image.h>

#include <stdexcept>

namespace assetgen {

namespace {

struct Loaded {
    Canvas canvas; // alpha 0 where the key punched through
    int w = 0, h = 0;
};

bool isFrame(const std::string& name) { return name == "bordocampo.bmp" || name == "bordostatistiche.bmp"; }

Loaded load(const std::string& dir, const std::string& name)
{
    const std::string path = dir + "/texture/" + name;
    SDL_Surface* raw = SDL_LoadBMP(path.c_str());
    if (!raw)
        throw std::runtime_error("cannot load " + path + ": " + SDL_GetError());
    SDL_Surface* s = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_RGB24, 0);
    SDL_FreeSurface(raw);
    if (!s)
        throw std::runtime_error(SDL_GetError());
    const int key = isFrame(name) ? kFrameKey : 0;
    Loaded out{Canvas(s->w, s->h), s->w, s->h};
    for (int y = 0; y < s->h; ++y) {
        const auto* row = static_cast<const Uint8*>(s->pixels) + y * s->pitch;
        for (int x = 0; x < s->w; ++x) {
            const Uint8* p = row + 3 * x;
            if (p[0] == key && p[1] == key && p[2] == key)
                continue;
            out.canvas.at(x, y) = premul(rgb(p[0], p[1], p[2]), 1.0f);
        }
    }
    SDL_FreeSurface(s);
    return out;
}

void checker(Canvas& c, int x0, int y0, int w, int h)
{
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool odd = ((x / 8) + (y / 8)) % 2 != 0;
            c.blend(x0 + x, y0 + y, odd ? rgb(150, 150, 150) : rgb(110, 110, 110), 1.0f);
        }
}

// Nearest-neighbour zoom, so single pixels stay crisp on the sheet.
Canvas zoom(const Canvas& src, int f)
{
    Canvas out(src.width() * f, src.height() * f);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.at(x, y) = src.at(x / f, y / f);
    return out;
}

Lettering labelStyle()
{
    Lettering s;
    s.top = rgb(230, 230, 240);
    s.bottom = rgb(200, 200, 215);
    s.outlineWidth = 0;
    s.bevel = 0;
    s.gloss = 0;
    s.shadowOpacity = 0;
    return s;
}

void label(Canvas& c, Fonts& fonts, const std::string& text, int x, int y)
{
    const Lettering s = labelStyle();
    const Mask m = textMask(fonts.get(Weight::Regular, 15), text, 1);
    drawLettering(c, m, x, y, s);
}

void savePng(const Canvas& c, const std::string& png)
{
    SDL_Surface* s = c.toSurface(Keying{{0, 0, 0}, rgb(0, 0, 0), 0.0f});
    const int rc = IMG_SavePNG(s, png.c_str());
    SDL_FreeSurface(s);
    if (rc != 0)
        throw std::runtime_error("cannot write " + png + ": " + IMG_GetError());
}

// Draws a picture on a checkerboard with its name above; returns its bottom.
int tile(Canvas& sheet, Fonts& fonts, const Canvas& pic, const std::string& name, int x, int y)
{
    label(sheet, fonts, name, x, y);
    checker(sheet, x, y + 20, pic.width(), pic.height());
    sheet.draw(pic, x, y + 20);
    return y + 20 + pic.height();
}

void blitKeyed(Canvas& dst, const Canvas& src, int x, int y) { dst.draw(src, x, y); }

// Nearest-neighbour scaling, as the renderer does by default.
Canvas scaled(const Canvas& src, float factor)
{
    const int w = static_cast<int>(std::lround(src.width() * factor)), h = static_cast<int>(std::lround(src.height() * factor));
    Canvas out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out.at(x, y) = src.at(std::min(src.width() - 1, static_cast<int>(x / factor)),
                                  std::min(src.height() - 1, static_cast<int>(y / factor)));
    return out;
}

void whiteText(Canvas& c, Fonts& fonts, int pt, const std::string& text, float cx, int y)
{
    const Mask m = textMask(fonts.get(Weight::Bold, pt), text, 0);
    const int w = m.width();
    c.paint(m, static_cast<int>(std::lround(cx - w / 2.0f)), y, [](int, int) { return rgb(255, 255, 255); });
}

} // namespace

void writeContactSheet(Fonts& fonts, const std::string& dir, const std::string& png)
{
    Canvas sheet(1300, 1750);
    sheet.fill(rgb(40, 42, 52));

    int x = 20, y = 16;
    for (const CellStyle& s : cellStyles()) {
        const Loaded c = load(dir, s.file);
        tile(sheet, fonts, zoom(c.canvas, 4), s.file, x, y);
        sheet.draw(c.canvas, x + 80, y + 20 + 57);
        x += 122;
    }
    y += 20 + 76 + 16;
    x = 20;
    int rowBottom = y;
    for (const char* name : {"100.bmp", "400.bmp", "900.bmp", "1600.bmp"}) {
        const Loaded c = load(dir, name);
        rowBottom = std::max(rowBottom, tile(sheet, fonts, zoom(c.canvas, 2), name, x, y));
        x += c.w * 2 + 24;
    }
    y = rowBottom + 16;
    x = 20;
    rowBottom = y;
    for (const char* name : {"gameover.bmp", "sfondopunti.bmp"}) {
        const Loaded c = load(dir, name);
        rowBottom = std::max(rowBottom, tile(sheet, fonts, c.canvas, name, x, y));
        x += c.w + 24;
    }
    y = rowBottom + 16;
    x = 20;
    for (const char* name : {"bordocampo.bmp", "bordostatistiche.bmp"}) {
        const Loaded c = load(dir, name);
        tile(sheet, fonts, c.canvas, name, x, y);
        x += c.w + 24;
    }
    y += 20 + 504 + 16;
    x = 20;
    for (const char* name : {"intro1tex.bmp", "intro2tex.bmp"}) {
        const Loaded c = load(dir, name);
        tile(sheet, fonts, c.canvas.shrunk(2), std::string(name) + " (1/2)", x, y);
        y += 20 + 300 + 16;
    }

    // The loop, half size, in scrolling order with the first band repeated.
    x = 880;
    y = 16;
    label(sheet, fonts, "bgk2 bgk3 bgk4 bgk1 bgk2 (1/2): the loop and its seams", x, y);
    y += 20;
    const char* order[5] = {"bgk2tex.bmp", "bgk3tex.bmp", "bgk4tex.bmp", "bgk1tex.bmp", "bgk2tex.bmp"};
    for (int i = 0; i < 5; ++i) {
        const Loaded c = load(dir, order[i]);
        sheet.draw(c.canvas.shrunk(2), x, y + i * 300);
        label(sheet, fonts, order[i], x + 6, y + i * 300 + 4);
        // a tick either side of each seam, outside the picture
        if (i > 0)
            for (int t = 0; t < 12; ++t) {
                sheet.blend(x - 14 + t, y + i * 300, rgb(255, 200, 80), 1);
                sheet.blend(x + 402 + t, y + i * 300, rgb(255, 200, 80), 1);
            }
    }
    savePng(sheet, png);
}

void writePlayPreview(Fonts& fonts, const std::string& dir, const std::string& png)
{
    Canvas screen(800, 600);
    // Scrolled so that the bgk4 -> bgk1 seam crosses the middle of the screen.
    const Loaded b4 = load(dir, "bgk4tex.bmp"), b1 = load(dir, "bgk1tex.bmp");
    screen.draw(b4.canvas, 0, -300);
    screen.draw(b1.canvas, 0, 300);

    std::vector<Loaded> cells;
    for (const CellStyle& s : cellStyles())
        cells.push_back(load(dir, s.file));
    const int stack[6][10] = {
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 3, 0, 0, 0}, {0, 0, 0, 0, 0, 5, 3, 3, 0, 0},
        {1, 0, 0, 2, 2, 5, 6, 3, 4, 0}, {1, 1, 7, 7, 2, 5, 6, 6, 4, 4}, {1, 7, 7, 2, 5, 5, 6, 4, 4, 0},
    };
    for (int r = 0; r < 6; ++r)
        for (int col = 0; col < 10; ++col)
            if (stack[r][col])
                blitKeyed(screen, cells[static_cast<std::size_t>(stack[r][col] - 1)].canvas, 300 + 19 * col,
                          64 + 19 * (20 + r));
    // a falling piece
    for (const auto& [cx, cy] : std::vector<std::pair<int, int>>{{4, 6}, {5, 6}, {6, 6}, {5, 7}})
        blitKeyed(screen, cells[2].canvas, 300 + 19 * cx, 64 + 19 * cy);

    blitKeyed(screen, load(dir, "bordocampo.bmp").canvas, 141, 64);
    blitKeyed(screen, load(dir, "sfondopunti.bmp").canvas, 550, 50);
    blitKeyed(screen, load(dir, "bordostatistiche.bmp").canvas, 40, 130);

    // The half-size pieces and counts of the statistics panel.
    const int shapes[7][8] = {
        {0, 0, 1, 0, 2, 0, 3, 0}, {0, 0, 1, 0, 0, 1, 1, 1}, {0, 0, 1, 0, 2, 0, 1, 1}, {1, 0, 2, 0, 0, 1, 1, 1},
        {0, 0, 1, 0, 1, 1, 2, 1}, {0, 0, 0, 1, 1, 1, 2, 1}, {2, 0, 0, 1, 1, 1, 2, 1},
    };
    for (int p = 1; p <= 7; ++p) {
        const Canvas half = scaled(cells[static_cast<std::size_t>(p - 1)].canvas, 0.5f);
        for (int i = 0; i < 4; ++i)
            blitKeyed(screen, half, 80 + shapes[p - 1][2 * i] * 9, 130 + 35 * p + 8 + shapes[p - 1][2 * i + 1] * 9);
        whiteText(screen, fonts, 16, std::to_string(p * 7 % 23), 130, 135 + 35 * p);
    }
    whiteText(screen, fonts, 32, "127", 642.5f, 75);
    whiteText(screen, fonts, 32, "1234560", 637.5f, 125);
    savePng(screen, png);

    // The same screen with the fading-in game over and a flying "1600" at twice its size.
    Canvas over = screen;
    blitKeyed(over, scaled(load(dir, "1600.bmp").canvas, 2.0f), 330, 360);
    blitKeyed(over, load(dir, "gameover.bmp").canvas, 150, 50);
    std::string overPng = png;
    const auto dot = overPng.rfind(".png");
    overPng.insert(dot == std::string::npos ? overPng.size() : dot, "-over");
    savePng(over, overPng);
}

} // namespace assetgen
