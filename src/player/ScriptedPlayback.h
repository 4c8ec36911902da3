#pragma once

#include "player/Playback.h"
#include "player/avm1/Stage.h"

#include <memory>

namespace quorvane::player {

// Plays a scripted movie on the clip tree its scripts act on; a seek is the
// root timeline's gotoAndStop: the frame's scripts run, the skipped frames'
// do not.
class ScriptedPlayback : public Playback {
public:
    ScriptedPlayback(std::shared_ptr<const MovieDefinition> movie, avm1::ScriptHost& host,
                     avm1::Machine::Limits limits, avm1::Stage::Surroundings surroundings);

    int frame() const override { return m_frame; }
    const DisplayList& displayList() const override { return m_list; }
    // Scripts leave state everywhere; only a fresh start undoes it.
    void rewind() override;
    void gotoFrame(int frame) override;
    void advance() override;
    void mouseMove(QPointF stagePosition) override;
    void mouseButton(bool down) override;
    void key(bool down, int keyCode, int character) override;

private:
    void start();
    // The frame and the picture come from the clip tree.
    void sync();

    std::shared_ptr<const MovieDefinition> m_movie;
    avm1::ScriptHost& m_host;
    avm1::Machine::Limits m_limits;
    avm1::Stage::Surroundings m_surroundings;
    std::unique_ptr<avm1::Stage> m_stage;
    int m_frame = 0;
    DisplayList m_list;
};

} // namespace quorvane::player
