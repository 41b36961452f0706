// Page bodies of the hostile faults. The big ones are built once and shared by every
// connection that sends them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace corvanelab {

using SharedText = std::shared_ptr<const std::string>;

// An ordinary web server's HTML page, sent with status 200 in place of the status page.
SharedText NotXmlPage();

// A Corvane root with count nested elements inside.
SharedText DeepNestPage(std::size_t count);

// A Corvane root whose Players element holds count empty Player elements.
SharedText SiblingsPage(std::size_t count);

// 64 KiB of garbage with NUL bytes (odd hosts wrap it in a Corvane root and a ServerName).
std::string BinaryPage(std::uint64_t seed, std::size_t hostIndex);

// A status page with bytes above 0x7F in every text, between the elements and in an element
// name; its session GUIDs are the given ones, so it passes the session check.
std::string HighBytesPage(std::uint64_t seed, std::size_t hostIndex, const std::string& guid2002,
                          const std::string& guid2004);

// The start of the endless page, and the chunk of about 64 KiB of Player elements that is sent
// again and again after it.
std::string EndlessStart();
SharedText EndlessChunk();

}  // namespace corvanelab
