#include "sprites/clsFliyngPoints.h"

#include <cmath>

#include "graphics/LaunchAngles.h"
#include "graphics/Mdx8.h"

namespace dv {

clsFliyngPoints::clsFliyngPoints(Mdx8& helper, RandomStream& random)
    : d3dx_(&helper), random_(random), scores_(2) {
    // Only the first font draws; the other three exist as they always did.
    const FontDesc fonts[] = {{"Comics sans MS", 12, true},
                              {"Magneto", 18, true},
                              {"Magneto", 28, true},
                              {"Magneto", 48, true}};
    for (std::size_t i = 0; i < labelFonts_.size(); ++i) {
        labelFonts_[i] = helper.CreateTextFont(fonts[i]);
    }
}

void clsFliyngPoints::InsertNewScore(std::int16_t score, std::int16_t startX, std::int16_t startY) {
    for (std::size_t i = 0; i < scores_.size(); ++i) {
        if (scores_[i].Active == 0) {
            InitScore(i, score, startX, startY);
            return;
        }
    }
    scores_.emplace_back();
    InitScore(scores_.size() - 1, score, startX, startY);
}

void clsFliyngPoints::InitScore(std::size_t i, std::int16_t score, std::int16_t startX, std::int16_t startY) {
    FlyingScore& s = scores_[i];
    s.Score = score;
    s.Active = -1;
    s.X = static_cast<float>(startX);
    s.Y = static_cast<float>(static_cast<std::int16_t>(600 - startY));
    s.Angle = 80 + static_cast<std::int32_t>(std::floor(random_.Next() * 20.0));
    s.Speed = 15.0f;
    s.Time = 0.0f;
    s.Age = 0;
}

void clsFliyngPoints::EvolveScores() {
    for (FlyingScore& s : scores_) {
        if (s.Active == 0) {
            continue;
        }
        s.Age += 1;
        const SinCos a = LaunchSinCos(s.Angle);
        const double t = s.Time;
        s.X = static_cast<float>(s.X + a.cos * s.Speed * t);
        s.Y = static_cast<float>(s.Y + a.sin * s.Speed * t - 4.9 * t * t);
        s.Time = static_cast<float>(t + 0.1);
        if (s.Y < 0) {
            s.Active = 0;
        }
    }
}

void clsFliyngPoints::DrawScores() {
    for (const FlyingScore& s : scores_) {
        if (s.Active == 0) {
            continue;
        }
        const double scale = 1.0 - (50.0 - s.Age) / 25.0 + 1.0;
        float alpha = 0.0f;
        if (s.Age >= 0 && s.Age <= 9) {
            alpha = static_cast<float>(s.Age / 10.0);
        } else if (s.Age >= 10 && s.Age <= 40) {
            alpha = 1.0f;
        } else if (s.Age >= 41 && s.Age <= 49) {
            alpha = static_cast<float>((50.0 - s.Age) / 10.0);
        }
        const float top = 600.0f - s.Y;
        if (s.Score >= 0 && s.Score <= 49) {
            // The box's bottom lies above its top, so the text is not clipped.
            const RectL box{static_cast<std::int32_t>(std::nearbyint(s.X)), static_cast<std::int32_t>(std::nearbyint(top)),
                            static_cast<std::int32_t>(std::nearbyint(s.X + 200.0f)),
                            static_cast<std::int32_t>(std::nearbyint(600.0f - (s.Y + 100.0f)))};
            d3dx_->Device().DrawText(labelFonts_[0], WhiteWithAlpha(alpha), " " + std::to_string(s.Score), box,
                                     textformat::Left);
            continue;
        }
        int tex = 0;
        float offset = 0;
        switch (s.Score) {
        case 100: tex = 14; offset = 16; break;
        case 400: tex = 15; offset = 32; break;
        case 900: tex = 16; offset = 64; break;
        case 1600: tex = 17; offset = 64; break;
        default: continue;
        }
        d3dx_->DrawSprite(s.X - offset, top, static_cast<std::int16_t>(tex), scale, scale, 0, 0, 0, alpha);
    }
}

}  // namespace dv
