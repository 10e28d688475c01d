#include "sprites/clsScroolBGK2.h"

#include "graphics/Mdx8.h"

namespace dv {

void clsScroolBGK2::CreateSurfaceBGK() {
    // Joined like every other bitmap's name, so a message names it with the system's separator.
    const char* files[] = {"bgk1tex.bmp", "bgk2tex.bmp", "bgk3tex.bmp", "bgk4tex.bmp"};
    for (std::size_t i = 0; i < bgkTex_.size(); ++i) {
        bgkTex_[i] = d3dx_->LoadTexture(std::filesystem::path("texture") / files[i], KeyBlack, true);
    }
    bgkHeight = 2400;
    bgkWidth = 800;
    scrollPos_ = 0;
    StepY = 1;
}

void clsScroolBGK2::Draw() {
    const int p = scrollPos_;
    auto pair = [&](int first, int firstTop, int second, int secondTop) {
        DrawTexBGK(0, static_cast<std::int16_t>(firstTop), static_cast<std::int16_t>(first), bgkAlpha_);
        DrawTexBGK(0, static_cast<std::int16_t>(secondTop), static_cast<std::int16_t>(second), bgkAlpha_);
    };
    if (p >= 0 && p <= 599) {
        pair(0, p, 3, p - 600);
    } else if (p >= 600 && p <= 1199) {
        pair(3, p - 600, 2, p - 1200);
    } else if (p >= 1200 && p <= 1799) {
        pair(2, p - 1200, 1, p - 1800);
    } else if (p >= 1800 && p <= 2399) {
        pair(1, p - 1800, 0, p - 2400);
    }
}

void clsScroolBGK2::EvolveBgk() {
    switch (bgkAction_) {
    case bgk::Bump: DoBump(); break;
    case bgk::Shake: DoShake(); break;
    case bgk::ScrollUp: ScrollUp(); break;
    case bgk::ScrollDown: ScrollDown(); break;
    case bgk::FadeOut: DoFadeOut(); break;
    case bgk::FadeIn: DoFadeIn(); break;
    default: break;
    }
    if (scrollPos_ > bgkHeight - 1) {
        scrollPos_ = static_cast<std::int16_t>(scrollPos_ - bgkHeight);
    } else if (scrollPos_ < 0) {
        scrollPos_ = static_cast<std::int16_t>(scrollPos_ + bgkHeight);
    }
}

void clsScroolBGK2::DoAction(std::int32_t what) {
    prevAction_ = bgkAction_;
    bgkAction_ = what;
    if (what == bgk::Bump) {
        actionStep_ = 4;
    } else if (what == bgk::Shake || what == bgk::FadeOut || what == bgk::FadeIn) {
        actionStep_ = 20;
    }
}

void clsScroolBGK2::DrawTexBGK(std::int16_t x, std::int16_t y, std::int16_t ntex, float alpha) {
    if (d3dx_ == nullptr || ntex < 0 || ntex > 3) {
        return;
    }
    IRenderDevice& device = d3dx_->Device();
    device.SpriteBegin();
    device.SpriteDraw(bgkTex_[static_cast<std::size_t>(ntex)], Vec2{1, 1}, Vec2{0, 0}, 0,
                      Vec2{static_cast<float>(x), static_cast<float>(y)}, WhiteWithAlpha(alpha));
    device.SpriteEnd();
}

void clsScroolBGK2::CountDown() {
    if (actionStep_ > -1) {
        actionStep_ = static_cast<std::int16_t>(actionStep_ - 1);
    }
}

void clsScroolBGK2::DoBump() {
    const int d = prevAction_ == bgk::ScrollUp ? 1 : -1;
    switch (actionStep_) {
    case 4: scrollPos_ = static_cast<std::int16_t>(scrollPos_ + 5 * d); break;
    case 3: scrollPos_ = static_cast<std::int16_t>(scrollPos_ + 10 * d); break;
    case 2: scrollPos_ = static_cast<std::int16_t>(scrollPos_ + 20 * d); break;
    case 0: bgkAction_ = bgk::ScrollUp; break;
    default: break;
    }
    CountDown();
}

void clsScroolBGK2::DoShake() {
    int delta = 0;
    switch (actionStep_) {
    case 20: delta = -15; break;
    case 18: delta = 15; break;
    case 16: delta = -20; break;
    case 14: delta = 15; break;
    case 12: delta = -3; break;
    case 10: delta = 10; break;
    case 0: bgkAction_ = bgk::ScrollUp; break;
    default: break;
    }
    scrollPos_ = static_cast<std::int16_t>(scrollPos_ + delta);
    CountDown();
}

void clsScroolBGK2::DoFadeOut() {
    const int n = actionStep_;
    if (n >= 1 && n <= 20) {
        bgkAlpha_ = static_cast<float>(static_cast<double>(bgkAlpha_) - 0.05);
    } else if (n == 0) {
        bgkAlpha_ = 0.0f;
        bgkAction_ = prevAction_;
    }
    CountDown();
}

void clsScroolBGK2::DoFadeIn() {
    const int n = actionStep_;
    if (n >= 1 && n <= 20) {
        bgkAlpha_ = static_cast<float>((20.0 - n) / 20.0);
    } else if (n == 0) {
        bgkAlpha_ = 1.0f;
        bgkAction_ = prevAction_;
    }
    CountDown();
}

void clsScroolBGK2::ScrollUp() {
    scrollPos_ = static_cast<std::int16_t>(scrollPos_ - StepY);
}

void clsScroolBGK2::ScrollDown() {
    scrollPos_ = static_cast<std::int16_t>(scrollPos_ + StepY);
}

}  // namespace dv
