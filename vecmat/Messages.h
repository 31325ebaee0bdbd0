#pragma once

// The library's message catalogue. Every message the library throws lives here, stored as
// the GBK (code page 936) bytes callers compare against; the comment above each entry is
// its text. New entries come from `scripts/gbk NAME "text"`. Internal header: callers turn
// a caught message into UTF-8 with pct::MessageToUtf8 (MessageText.h).

#include <stdexcept>

namespace pct::msg {

// ---- core: vectors, matrices, determinants, elimination, decompositions ----

// ---- regression: polynomial fits, CSV reader, simulated data, gradient descent ----

// ---- classify: tables, reports, LDA, classifiers, kernels, plain functions ----

// ---- neighbors: k-d trees ----

// ---- features: feature selection and correlation ----
// 两组数据的长度不一致，不能进行计算
inline constexpr char kLengthsDiffer[] = "\xc1\xbd\xd7\xe9\xca\xfd\xbe\xdd\xb5\xc4\xb3\xa4\xb6\xc8\xb2\xbb\xd2\xbb\xd6\xc2\xa3\xac\xb2\xbb\xc4\xdc\xbd\xf8\xd0\xd0\xbc\xc6\xcb\xe3";
// 直接过滤的索引超出矩阵范围
inline constexpr char kDirectFilterOutOfRange[] = "\xd6\xb1\xbd\xd3\xb9\xfd\xc2\xcb\xb5\xc4\xcb\xf7\xd2\xfd\xb3\xac\xb3\xf6\xbe\xd8\xd5\xf3\xb7\xb6\xce\xa7";
// 直接过滤项包含结果属性
inline constexpr char kDirectFilterHasTarget[] = "\xd6\xb1\xbd\xd3\xb9\xfd\xc2\xcb\xcf\xee\xb0\xfc\xba\xac\xbd\xe1\xb9\xfb\xca\xf4\xd0\xd4";
// 低方差过滤器对象为空
inline constexpr char kVarianceFilterNull[] = "\xb5\xcd\xb7\xbd\xb2\xee\xb9\xfd\xc2\xcb\xc6\xf7\xb6\xd4\xcf\xf3\xce\xaa\xbf\xd5";
// 低方差过滤器要过滤的特性索引超出矩阵范围
inline constexpr char kFilterFeatureOutOfRange[] = "\xb5\xcd\xb7\xbd\xb2\xee\xb9\xfd\xc2\xcb\xc6\xf7\xd2\xaa\xb9\xfd\xc2\xcb\xb5\xc4\xcc\xd8\xd0\xd4\xcb\xf7\xd2\xfd\xb3\xac\xb3\xf6\xbe\xd8\xd5\xf3\xb7\xb6\xce\xa7";
// 低方差过滤器要过滤的特性索引包含结果属性
inline constexpr char kFilterFeatureHasTarget[] = "\xb5\xcd\xb7\xbd\xb2\xee\xb9\xfd\xc2\xcb\xc6\xf7\xd2\xaa\xb9\xfd\xc2\xcb\xb5\xc4\xcc\xd8\xd0\xd4\xcb\xf7\xd2\xfd\xb0\xfc\xba\xac\xbd\xe1\xb9\xfb\xca\xf4\xd0\xd4";
// 不支持的相关系数过滤器类型
inline constexpr char kUnsupportedCorrelationMode[] = "\xb2\xbb\xd6\xa7\xb3\xd6\xb5\xc4\xcf\xe0\xb9\xd8\xcf\xb5\xca\xfd\xb9\xfd\xc2\xcb\xc6\xf7\xc0\xe0\xd0\xcd";
// 相关系数过滤器没有目标数据
inline constexpr char kCorrelationNoTarget[] = "\xcf\xe0\xb9\xd8\xcf\xb5\xca\xfd\xb9\xfd\xc2\xcb\xc6\xf7\xc3\xbb\xd3\xd0\xc4\xbf\xb1\xea\xca\xfd\xbe\xdd";
// 相关系数过滤器外部目标数据的维数与矩阵不一致
inline constexpr char kCorrelationTargetSize[] = "\xcf\xe0\xb9\xd8\xcf\xb5\xca\xfd\xb9\xfd\xc2\xcb\xc6\xf7\xcd\xe2\xb2\xbf\xc4\xbf\xb1\xea\xca\xfd\xbe\xdd\xb5\xc4\xce\xac\xca\xfd\xd3\xeb\xbe\xd8\xd5\xf3\xb2\xbb\xd2\xbb\xd6\xc2";

}  // namespace pct::msg

namespace pct::detail {

// Throws a message of the catalogue by value.
[[noreturn]] inline void Fail(const char* message) { throw std::runtime_error(message); }

// Throws a newly allocated exception by pointer; the catcher owns and deletes it.
[[noreturn]] inline void FailByPointer(const char* message) {
    throw static_cast<std::exception*>(new std::runtime_error(message));
}

}  // namespace pct::detail
