// The pictures of PELITO's drive icons, by index: 0 to 99 the temperature in normal
// digits, 100 to 199 in warning digits, 200 no temperature (a drive asleep since its
// monitor started, or one that does not answer).
#pragma once

constexpr unsigned kWarningPictures = 100;
constexpr unsigned kNoTemperaturePicture = 200;
constexpr unsigned kClientPictureCount = kNoTemperaturePicture + 1;
