#pragma once

// The maker's contact details, shown in messages and the About box.
namespace Maker {
inline constexpr char supportEmail[] = "support@velorin.example";
inline constexpr char webPage[] = "https://velorin.example/";
}  // namespace Maker
