// Speed of document detection, crop and black-and-white conversion, measured
// on one OpenCV thread.

#include <benchmark/benchmark.h>

#include <opencv2/core/utility.hpp>

#include <vector>

#include "imaging/binarization.h"
#include "imaging/document_crop.h"
#include "imaging/document_detection.h"
#include "imaging/noise_cleaning.h"
#include "tests/support/scene_generator.h"

namespace {

using namespace orbisk;

// A turned page on the desk, about half the picture, as the camera sees it.
const cv::Mat& Scene(cv::Size size) {
    static const cv::Mat hd =
        test::MakeScene({.size = {1920, 1080},
                         .pages = {{.centre = {950, 530}, .size = {1100, 780}, .angle = 8}}})
            .image;
    static const cv::Mat eight =
        test::MakeScene({.size = {3264, 2448},
                         .pages = {{.centre = {1640, 1210}, .size = {2300, 1700}, .angle = 8}}})
            .image;
    return size.width == 1920 ? hd : eight;
}

// An 8-megapixel page filling the picture.
const cv::Mat& Page() {
    static const cv::Mat page = test::MakeShadedPage({3264, 2448}).image;
    return page;
}

void BM_DetectDocument(benchmark::State& state) {
    cv::setNumThreads(1);
    const cv::Mat& image =
        Scene(state.range(0) == 1080 ? cv::Size(1920, 1080) : cv::Size(3264, 2448));
    for (auto _ : state) {
        RotatedBox box;
        benchmark::DoNotOptimize(DetectDocument(box, 9, 3, 0.2f, 0.01f, image, 8.0));
    }
}
BENCHMARK(BM_DetectDocument)->Arg(1080)->Arg(2448)->Unit(benchmark::kMillisecond);

// 8-megapixel desks for the crop: one sheet (the detection scene above), a
// large sheet covering most of the picture, and three sheets side by side.
enum class CropDesk { OnePage, LargePage, ThreePages };

const cv::Mat& CropScene(CropDesk desk) {
    static const cv::Mat large =
        test::MakeScene({.size = {3264, 2448},
                         .pages = {{.centre = {1630, 1230}, .size = {3000, 2200}, .angle = 3}}})
            .image;
    static const cv::Mat three =
        test::MakeScene({.size = {3264, 2448},
                         .pages = {{.centre = {560, 1200}, .size = {900, 1300}, .angle = 4},
                                   {.centre = {1630, 1260}, .size = {960, 1360}, .angle = -7},
                                   {.centre = {2700, 1180}, .size = {880, 1250}, .angle = 10}}})
            .image;
    switch (desk) {
        case CropDesk::LargePage:
            return large;
        case CropDesk::ThreePages:
            return three;
        case CropDesk::OnePage:
            break;
    }
    return Scene(cv::Size(3264, 2448));
}

const char* DeskName(CropDesk desk) {
    switch (desk) {
        case CropDesk::LargePage:
            return "large page";
        case CropDesk::ThreePages:
            return "three pages";
        case CropDesk::OnePage:
            break;
    }
    return "one page";
}

void BM_CropDocument(benchmark::State& state) {
    cv::setNumThreads(1);
    const CropDesk desk = static_cast<CropDesk>(state.range(0));
    const cv::Mat& image = CropScene(desk);
    state.SetLabel(DeskName(desk));
    for (auto _ : state) {
        cv::Mat page;
        benchmark::DoNotOptimize(CropDocument(image, kCropDetection, 0, page));
    }
}
BENCHMARK(BM_CropDocument)
    ->Arg(static_cast<int>(CropDesk::OnePage))
    ->Arg(static_cast<int>(CropDesk::LargePage))
    ->Unit(benchmark::kMillisecond);

void BM_CropDocuments(benchmark::State& state) {
    cv::setNumThreads(1);
    const CropDesk desk = static_cast<CropDesk>(state.range(0));
    const cv::Mat& image = CropScene(desk);
    state.SetLabel(DeskName(desk));
    for (auto _ : state) {
        std::vector<cv::Mat> pages;
        benchmark::DoNotOptimize(CropDocuments(image, pages, kCropDetection, 0));
    }
}
BENCHMARK(BM_CropDocuments)
    ->Arg(static_cast<int>(CropDesk::OnePage))
    ->Arg(static_cast<int>(CropDesk::ThreePages))
    ->Unit(benchmark::kMillisecond);

// The cut-out alone, for the box detection finds on each desk.
void BM_WarpRotatedBox(benchmark::State& state) {
    cv::setNumThreads(1);
    const CropDesk desk = static_cast<CropDesk>(state.range(0));
    const cv::Mat& image = CropScene(desk);
    state.SetLabel(DeskName(desk));
    RotatedBox box;
    if (!DetectDocument(box, 9, 3, 0.2f, 0.01f, image, 8.0)) {
        state.SkipWithError("no page found");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(WarpRotatedBox(box, image).data);
}
BENCHMARK(BM_WarpRotatedBox)
    ->Arg(static_cast<int>(CropDesk::OnePage))
    ->Arg(static_cast<int>(CropDesk::LargePage))
    ->Unit(benchmark::kMillisecond);

void BM_BinarizeDocument(benchmark::State& state) {
    cv::setNumThreads(1);
    const cv::Mat& page = Page();
    for (auto _ : state) benchmark::DoNotOptimize(BinarizeDocument(page, 21, 301, 0.4));
}
BENCHMARK(BM_BinarizeDocument)->Unit(benchmark::kMillisecond);

// The whole black-and-white step of a capture: conversion, speck removal and
// border cleaning.
void BM_BlackAndWhite(benchmark::State& state) {
    cv::setNumThreads(1);
    const cv::Mat& page = Page();
    for (auto _ : state) {
        cv::Mat bw = BinarizeDocument(page, 21, 301, 0.4);
        RemoveSpeckles(bw, 10);
        ClearBorderNoise(bw);
        benchmark::DoNotOptimize(bw.data);
    }
}
BENCHMARK(BM_BlackAndWhite)->Unit(benchmark::kMillisecond);

void BM_RemoveSpeckles(benchmark::State& state) {
    cv::setNumThreads(1);
    const cv::Mat bw = BinarizeDocument(Page(), 21, 301, 0.4);
    for (auto _ : state) {
        state.PauseTiming();
        cv::Mat work = bw.clone();
        state.ResumeTiming();
        RemoveSpeckles(work, 10);
        benchmark::DoNotOptimize(work.data);
    }
}
BENCHMARK(BM_RemoveSpeckles)->Unit(benchmark::kMillisecond);

}  // namespace
