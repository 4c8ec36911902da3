#include "player/ScriptedPlayback.h"

namespace quorvane::player {

ScriptedPlayback::ScriptedPlayback(std::shared_ptr<const MovieDefinition> movie,
                                   avm1::ScriptHost& host, avm1::Machine::Limits limits,
                                   avm1::Stage::Surroundings surroundings)
    : m_movie(std::move(movie)), m_host(host), m_limits(limits),
      m_surroundings(std::move(surroundings))
{
    start();
}

void ScriptedPlayback::start()
{
    // The old clip tree goes before the new one starts its scripts.
    m_stage.reset();
    m_stage = std::make_unique<avm1::Stage>(m_movie, m_host, m_limits, m_surroundings);
    sync();
}

void ScriptedPlayback::sync()
{
    m_frame = m_stage->root()->frame;
    m_list = m_stage->displayList();
}

void ScriptedPlayback::rewind()
{
    start();
}

void ScriptedPlayback::gotoFrame(int frame)
{
    m_stage->gotoRootFrame(frame);
    sync();
}

void ScriptedPlayback::advance()
{
    m_stage->advance();
    sync();
}

void ScriptedPlayback::mouseMove(QPointF stagePosition)
{
    m_stage->mouseMove(stagePosition);
    sync();
}

void ScriptedPlayback::mouseButton(bool down)
{
    m_stage->mouseButton(down);
    sync();
}

void ScriptedPlayback::key(bool down, int keyCode, int character)
{
    m_stage->key(down, keyCode, character);
    sync();
}

} // namespace quorvane::player
