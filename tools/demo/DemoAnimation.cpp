// Renders and encodes the demo animation.
#include "DemoAnimation.h"

#include "fli/Format.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fli::demo {

namespace {

using encode::Colour6;

// Palette layout: each band of entries is one ramp of shades.
constexpr int kSkyFirst = 0, kSkyShades = 48;
constexpr int kLightTileFirst = 48, kDarkTileFirst = 64, kTileShades = 16;
constexpr int kShadowOffset = 32; // shadowed tiles: 80 to 111
constexpr int kBallFirst = 112, kBallShades = 48; // three balls: 112, 160, 208
constexpr int kHorizon = 120;

Colour6 Mix(Colour6 from, Colour6 to, double t)
{
	auto channel = [t](int a, int b) {
		return static_cast<unsigned char>(std::lround(a + (b - a) * t));
	};
	return {channel(from.red, to.red), channel(from.green, to.green), channel(from.blue, to.blue)};
}

struct Ball {
	double x, y, radius;
	double floorY, depth;
	int colourFirst;
};

Ball PlaceBall(int ball, int frame)
{
	const double turn = 2 * std::numbers::pi * frame / kDemoFrameCount;
	const double phase = turn + ball * 2 * std::numbers::pi / 3;
	Ball placed{};
	placed.depth = std::sin(phase); // -1 far, +1 near
	placed.radius = 17 + 6 * placed.depth;
	placed.x = 160 + 118 * std::cos(phase);
	placed.floorY = 158 + 30 * placed.depth;
	// Two bounces per loop, each ball at its own moment.
	const double height = 70 * std::fabs(std::sin(2 * turn + ball * 1.3));
	placed.y = placed.floorY - placed.radius - height;
	placed.colourFirst = kBallFirst + ball * kBallShades;
	return placed;
}

unsigned char SkyAt(int y)
{
	return static_cast<unsigned char>(kSkyFirst + y * (kSkyShades - 1) / (kHorizon - 1));
}

unsigned char FloorAt(int x, int y)
{
	// A checkerboard seen in perspective: rows get wider towards the viewer.
	const double distance = 2400.0 / (y - kHorizon + 8);
	const double across = (x - 160) * distance / 160.0;
	const bool light =
		((static_cast<int>(std::floor(across / 24)) + static_cast<int>(std::floor(distance / 24)))
			& 1)
		!= 0;
	const int shade =
		std::clamp((y - kHorizon) * kTileShades / (fli::kHeight - kHorizon), 0, kTileShades - 1);
	return static_cast<unsigned char>((light ? kLightTileFirst : kDarkTileFirst) + shade);
}

void DrawShadow(encode::Picture& picture, const Ball& ball)
{
	const double height = ball.floorY - ball.radius - ball.y;
	const double rx = ball.radius * (1.1 - height / 160);
	const double ry = rx / 3.5;
	for (int y = static_cast<int>(ball.floorY - ry); y <= static_cast<int>(ball.floorY + ry); ++y) {
		for (int x = static_cast<int>(ball.x - rx); x <= static_cast<int>(ball.x + rx); ++x) {
			if (x < 0 || x >= kWidth || y <= kHorizon || y >= kHeight)
				continue;
			const double dx = (x - ball.x) / rx, dy = (y - ball.floorY) / ry;
			unsigned char& pixel = picture[y * kWidth + x];
			if (dx * dx + dy * dy <= 1 && pixel >= kLightTileFirst
				&& pixel < kLightTileFirst + kShadowOffset)
				pixel = static_cast<unsigned char>(pixel + kShadowOffset);
		}
	}
}

void DrawBall(encode::Picture& picture, const Ball& ball)
{
	// Light from the upper left, towards the viewer.
	const double lx = -0.45, ly = -0.6, lz = 0.66;
	for (int y = static_cast<int>(ball.y - ball.radius);
		 y <= static_cast<int>(ball.y + ball.radius) + 1; ++y) {
		for (int x = static_cast<int>(ball.x - ball.radius);
			 x <= static_cast<int>(ball.x + ball.radius) + 1; ++x) {
			if (x < 0 || x >= kWidth || y < 0 || y >= kHeight)
				continue;
			const double nx = (x - ball.x) / ball.radius, ny = (y - ball.y) / ball.radius;
			const double rr = nx * nx + ny * ny;
			if (rr > 1)
				continue;
			const double nz = std::sqrt(1 - rr);
			const double diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
			const double highlight = std::pow(std::max(0.0, 2 * diffuse * nz - lz), 24);
			const double light = std::min(1.0, 0.12 + 0.78 * diffuse + 0.6 * highlight);
			const int shade =
				std::clamp(static_cast<int>(light * (kBallShades - 1)), 0, kBallShades - 1);
			picture[y * kWidth + x] = static_cast<unsigned char>(ball.colourFirst + shade);
		}
	}
}

} // namespace

encode::Palette6 DemoPalette()
{
	encode::Palette6 palette{};
	for (int i = 0; i < kSkyShades; ++i)
		palette[kSkyFirst + i] = i < 32 ? Mix({4, 3, 18}, {36, 14, 34}, i / 31.0)
										: Mix({36, 14, 34}, {62, 36, 16}, (i - 32) / 15.0);
	for (int i = 0; i < kTileShades; ++i) {
		const double t = i / double(kTileShades - 1);
		palette[kLightTileFirst + i] = Mix({22, 20, 30}, {52, 46, 50}, t);
		palette[kDarkTileFirst + i] = Mix({6, 6, 14}, {16, 14, 26}, t);
		palette[kLightTileFirst + kShadowOffset + i] = Mix({10, 9, 16}, {26, 22, 28}, t);
		palette[kDarkTileFirst + kShadowOffset + i] = Mix({3, 3, 8}, {8, 7, 14}, t);
	}
	const Colour6 dark[3] = {{10, 1, 3}, {1, 9, 4}, {2, 4, 14}};
	const Colour6 bright[3] = {{63, 18, 10}, {20, 60, 22}, {18, 40, 63}};
	for (int ball = 0; ball < 3; ++ball) {
		for (int i = 0; i < kBallShades; ++i) {
			const double t = i / double(kBallShades - 1);
			// The top shades run to white for the highlight.
			palette[kBallFirst + ball * kBallShades + i] = t < 0.8
				? Mix(dark[ball], bright[ball], t / 0.8)
				: Mix(bright[ball], {63, 63, 63}, (t - 0.8) / 0.2);
		}
	}
	return palette;
}

encode::Picture RenderDemoPicture(int index)
{
	encode::Picture picture(kPixelCount);
	for (int y = 0; y < kHeight; ++y) {
		for (int x = 0; x < kWidth; ++x)
			picture[y * kWidth + x] = y < kHorizon ? SkyAt(y) : FloorAt(x, y);
	}
	Ball balls[3];
	for (int ball = 0; ball < 3; ++ball)
		balls[ball] = PlaceBall(ball, index);
	for (const Ball& ball : balls)
		DrawShadow(picture, ball);
	std::sort(std::begin(balls), std::end(balls),
		[](const Ball& a, const Ball& b) { return a.depth < b.depth; });
	for (const Ball& ball : balls)
		DrawBall(picture, ball);
	return picture;
}

encode::Bytes MakeDemoAnimation()
{
	encode::AnimationWriter writer(kDemoSpeed);
	const encode::Picture first = RenderDemoPicture(0);
	writer.AddFrame({encode::EncodeColorChunk(DemoPalette()), encode::EncodeByteRunChunk(first)});
	encode::Picture previous = first;
	for (int index = 1; index <= kDemoFrameCount; ++index) {
		// The last one is the ring frame: it turns the last picture back into the first.
		encode::Picture next = index < kDemoFrameCount ? RenderDemoPicture(index) : first;
		encode::Bytes changes = encode::EncodeLineCompressedChunk(previous, next);
		writer.AddFrame(
			changes.empty() ? std::vector<encode::Bytes>{} : std::vector<encode::Bytes>{changes});
		previous = std::move(next);
	}
	return writer.Finish(kDemoFrameCount);
}

} // namespace fli::demo
