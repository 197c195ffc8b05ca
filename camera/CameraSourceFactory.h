#pragma once

#include <QByteArray>

#include <memory>
#include <optional>

class CameraSource;

// The environment variable that swaps the platform's cameras for test cameras.
inline constexpr char kTestCamerasVariable[] = "IDPHOTO_TEST_CAMERAS";

// How many test cameras a value of IDPHOTO_TEST_CAMERAS asks for: a whole number from 0
// to 4; nothing for an unset, empty or other value.
std::optional<int> testCameraCount(const QByteArray& value);

// The test cameras when the environment asks for them, the platform's otherwise.
std::unique_ptr<CameraSource> createCameraSource();
