// zentara-bench: the cost of one frame's drawing work with 25 live sprites, and
// of scaling a scene to the screen, at three screen sizes.
#include "engine/random.h"
#include "engine/scene_engine.h"
#include "platform/os.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {

struct bench_engine
{
    engine::mixing_random random{42};
    engine::manual_clock clock;
    engine::scene_engine e{random, clock};

    bench_engine(int w, int h)
    {
        if (!e.load_pictures(platform::pictures_folder())) {
            e.sprite.resize(720, 606);
            e.sprite.fill(0xff808080u);
            e.mask.resize(720, 606);
            for (auto &p : e.pictures) {
                p.resize(640, 480);
                p.fill(0xff102040u);
            }
        }
        e.activate(w, h);
        e.full_repaint = 0;
        // 25 objects of every size spread over the screen, moving diagonally.
        const int images[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 44, 68, 30, 50, 13};
        for (int s = 1; s <= 25; ++s) {
            e.sprite_image[s] = images[s - 1];
            e.sprite_alive[s] = 1;
            e.sprite_masked[s] = images[s - 1] >= 68 ? 0 : 1;
            e.sprite_x[s] = (s * 97) % (w - 200) + 10;
            e.sprite_y[s] = (s * 61) % (h - 200) + 10;
            e.velocity_x[s] = 0.5 + s * 0.07;
            e.velocity_y[s] = 0.3 - s * 0.02;
        }
    }

    // Sprites bounce inside the screen, so every frame draws all 25 in full at
    // any screen size.
    void move()
    {
        for (int s = 1; s <= 25; ++s) {
            const auto *img = e.image_catalogue[e.sprite_image[s]];
            e.sprite_x[s] += e.velocity_x[s];
            e.sprite_y[s] += e.velocity_y[s];
            if (e.sprite_x[s] < 0 || e.sprite_x[s] + img[3] > e.screen_width)
                e.velocity_x[s] = -e.velocity_x[s];
            if (e.sprite_y[s] < 0 || e.sprite_y[s] + img[4] > e.screen_height)
                e.velocity_y[s] = -e.velocity_y[s];
        }
    }
};

void frame_work(benchmark::State &state, int w, int h)
{
    bench_engine b(w, h);
    for (auto _ : state) {
        b.e.blit_old_sprites();
        b.move();
        b.e.blit_new_sprites();
        b.e.blit_flicker_free();
        b.e.sort_sprites();
    }
}

void scale_work(benchmark::State &state, int w, int h)
{
    bench_engine b(w, h);
    for (auto _ : state)
        platform::PaintPicture(b.e.background_copy, b.e.pictures[0], 0, 0, w, h);
}

} // namespace

BENCHMARK_CAPTURE(frame_work, frame_1280x720, 1280, 720)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(frame_work, frame_1920x1080, 1920, 1080)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(frame_work, frame_3840x2160, 3840, 2160)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(scale_work, scale_1280x720, 1280, 720)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scale_work, scale_1920x1080, 1920, 1080)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scale_work, scale_3840x2160, 3840, 2160)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
