// The balloon that tells of a drive's health getting worse or recovering: one line per
// drive that changed, with the reason in words (which count, from what to what).
#pragma once

#include "balloon_text.h"
#include "drive_judge.h"
#include "health_words.h"

// One reason in words (common/health_words.h), such as "代替処理待ちのセクタが 0 から 8 に増加".
std::string HealthReasonWords(const HealthReason& reason);

// "#N 注意: reason" for a drive that got worse (its worst reason), "#N 正常に戻りました"
// (or the better state) for one that recovered. Error icon when a drive is bad, warning
// icon otherwise, info icon when all recovered. Empty when nothing changed.
BalloonContent HealthBalloonContent(const VerdictChanges& changes);
