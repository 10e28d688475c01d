#pragma once

#include "canvas.h"

#include <map>
#include <string>
#include <utility>

typedef struct _TTF_Font TTF_Font;

namespace assetgen {

enum class Weight { Regular, Bold };

// The game's lettering family, located through fontconfig. Refuses to fall
// back to some other family: a substitute would silently change the look.
class Fonts {
public:
    Fonts();
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    TTF_Font* get(Weight w, int pointSize);
    const std::string& file(Weight w) const { return w == Weight::Bold ? bold_ : regular_; }

private:
    std::string bold_, regular_;
    std::map<std::pair<int, int>, TTF_Font*> open_;
};

// Finds the file of a fontconfig pattern such as "Comic Neue:bold", checking
// the match really belongs to the family asked for.
std::string findFontFile(const std::string& pattern, const std::string& family);

// The coverage of a line of text, with `pad` empty pixels all round so that
// outlines and shadows have room.
Mask textMask(TTF_Font* font, const std::string& utf8, int pad);

// The finish applied to lettering: gradient fill, bevel, gloss, outline, shadow.
struct Lettering {
    Col top = rgb(255, 240, 160);
    Col bottom = rgb(245, 140, 30);
    Col outline = rgb(40, 16, 24);
    float outlineWidth = 3;
    float bevel = 0.5f;       // strength of the embossed edge light
    float gloss = 0.25f;      // brightening of the upper half
    Col shadow = rgb(8, 6, 16);
    float shadowOpacity = 0.6f;
    int shadowDx = 3, shadowDy = 4;
    int shadowBlur = 2;
    Col glow = rgb(255, 170, 60);
    float glowOpacity = 0;
    int glowBlur = 6;
};

// Space lettering needs around its glyphs for outline, shadow and glow.
int letteringPad(const Lettering& s);

// Draws `glyphs` (a textMask) with its top-left at (x, y).
void drawLettering(Canvas& c, const Mask& glyphs, int x, int y, const Lettering& s);

// Renders text so that its ink is centred on cx and its ink top sits at y.
// Returns the ink box in canvas coordinates.
Mask::Box placeText(Canvas& c, TTF_Font* font, const std::string& utf8, float cx, int y, const Lettering& s);

// The largest point size at which the lettered text's full extent (outline
// included) fits in w x h.
int fitPointSize(Fonts& fonts, Weight wt, const std::string& utf8, int w, int h, const Lettering& s, int from);

} // namespace assetgen
