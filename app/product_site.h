#pragma once

namespace varnelo {

// The product's web site, opened by 按钮_官方网站.
inline constexpr char16_t kProductSiteAddress[] = u"https://www.varnelo.com/";

}  // namespace varnelo
