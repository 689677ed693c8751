"""The one writer of a model's files takes its key names from the station's schema: a name
the station never reads stops it instead of quietly writing a model that tests nothing.
These need no Wine."""
import pytest

from harness import facts
from harness.files import launcher_text, settings_text
from harness.model import Model


@pytest.mark.parametrize("sections", [
    {"background": {"meter_of": "m.bmp"}},    # a fixed key mistyped
    {"audio": {"Width": 800}},                 # a fixed key in another key's section
    {"Background": {"Width": 800}},            # sections are written as the schema spells them
    {"text": {"txt3": "page.txt"}},            # a numbered key off its stem
    {"notes": [("60-1", "0,0,10,10")]},       # a control key of no shape the loader reads
])
def test_names_outside_the_schema_stop_the_writer(sections):
    with pytest.raises(KeyError):
        settings_text(sections)


def test_every_default_model_key_is_the_schemas():
    text = settings_text(Model(loop="loop.wav").settings())
    for key, (section, _, _) in facts.SETTING_KEYS.items():
        assert "\r\n%s=" % key in text, (section, key)


def test_launcher_profiles_hold_only_the_launcher_keys():
    assert launcher_text({"Unit": "T1"}, {"T1": {"settings": "t1.ini"}}).startswith("[midi]\r\n")
    with pytest.raises(KeyError):
        launcher_text({"Unit": "T1"}, {"T1": {"setting": "t1.ini"}})
