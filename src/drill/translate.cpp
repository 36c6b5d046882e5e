// The preferred form of any readable drill file, and the derived files written from it in the same pass.
#include "drill/translate.hpp"

#include "drill/coordinates.hpp"
#include "util/text.hpp"

#include <vector>

namespace fk::drill {

namespace {

using Kind = DrillLine::Kind;

std::string firstTwoLines(const std::string& source) {
    platform::LineReader reader(source);
    std::string first, second;
    reader.next(first);
    reader.next(second);
    return first + second;
}

class Pass {
  public:
    // Without outputs the pass surveys: it reads every line and notes the zeros the numbers omit.
    Pass(const std::string& source, Zeros shown, Outputs* outputs) : source_(source), outputs_(outputs) {
        if (outputs)
            reader_.assumeZeros(shown);
        else
            reader_.surveyZeros();
        if (outputs && !outputs->preferredTarget.empty())
            reader_.askForSurvey();
        result_.zerosShown = shown;
        const std::string key = util::lower(firstTwoLines(source));
        keepsHeader_ = key == "m48inch";
        result_.tangoDialect = key == "m48inch,lz" || key == "m48inch,tz";
        result_.alreadyPreferred = true;
        if (!keepsHeader_) {
            changed();
            emit("M48");  // start of header
            emit("INCH"); // inches; coordinates as the preferred form writes them
        }
    }

    // False where the reading ends: a number needs the zeros that only a survey of the file tells.
    bool line(std::string_view text) {
        const DrillLine line = reader_.read(text);
        if (reader_.surveyNeeded()) {
            result_.surveyNeeded = true;
            return false;
        }
        take(text, line);
        return true;
    }

    void take(std::string_view text, const DrillLine& line) {
        if (keepsHeader_ && reader_.lineNumber() <= 2)
            return emit(text);
        switch (line.kind) {
        case Kind::HeaderStart:
            headerStarted_ = true;
            return changed();
        case Kind::Units:      // the new header states the units
        case Kind::FormatNote: // and the digits
            return changed();
        case Kind::HeaderEnd:
            // A "%" before M48 would end the new header before its tools.
            return headerStarted_ || keepsHeader_ ? emit(text) : changed();
        case Kind::ToolDefinition:
            return reader_.format().units == Units::Metric ? emit(inchDiameter(text, line)) : emit(text);
        case Kind::Coordinate:
            return coordinate(text, line);
        default:
            return emit(text);
        }
    }

    Translation finish() {
        result_.format = reader_.format();
        result_.unitsFound = reader_.unitsKnown();
        if (result_.format.units != Units::Inch || result_.format.integerDigits != 2 ||
            result_.format.decimalDigits != 4 || result_.rounded)
            result_.tangoDialect = false;
        if (!outputs_)
            result_.zerosShown = zerosShown(reader_.survey());
        return result_;
    }

  private:
    void emit(std::string_view text) {
        if (!outputs_)
            return;
        if (outputs_->preferred)
            outputs_->preferred->writeLine(text);
        if (outputs_->outputCopy)
            outputs_->outputCopy->writeLine(text);
        derived(text);
    }
    void changed() {
        if (result_.alreadyPreferred && outputs_ && !outputs_->preferredTarget.empty())
            openPreferredForm();
        result_.alreadyPreferred = false;
    }

    // The file is not preferred after all: its preferred form so far is the lines before this one, as they
    // stand (a line that is no part of the preferred form makes the change).
    void openPreferredForm() {
        std::vector<platform::AtomicWriter*> forms{&outputs_->preferred.emplace(outputs_->preferredTarget)};
        if (!outputs_->copyTarget.empty())
            forms.push_back(&outputs_->outputCopy.emplace(outputs_->copyTarget));
        platform::LineReader again(source_);
        std::string_view text;
        while (again.lineNumber() + 1 < reader_.lineNumber() && again.next(text))
            for (auto* form : forms)
                form->writeLine(text);
    }

    std::string inchDiameter(std::string_view text, const DrillLine& tool) {
        changed();
        std::string line(text);
        return line.replace(tool.diameterAt, tool.diameterLength, inchText(preferredSteps(tool.diameter)));
    }

    void coordinate(std::string_view text, const DrillLine& line) {
        const std::int64_t x = line.x.present ? steps(line.x, text) : 0;
        const std::int64_t y = line.y.present ? steps(line.y, text) : 0;
        // A survey that already knows the file is not in the preferred form needs no preferred text.
        if (!outputs_ && !result_.alreadyPreferred)
            return;
        char out[maxPreferredLength];
        size_t n = 0;
        if (line.x.present)
            n += writePreferredCoordinate(out + n, 'X', line.x.sign, x);
        if (line.y.present)
            n += writePreferredCoordinate(out + n, 'Y', line.y.sign, y);
        const std::string_view preferred(out, n);
        if (result_.alreadyPreferred && preferred != text)
            changed();
        emit(preferred);
    }

    // The value in steps of the preferred form; notes what the value tells of the file's dialect.
    std::int64_t steps(const Axis& axis, std::string_view text) {
        if (!axis.sign)
            result_.tangoDialect = false;
        const std::int64_t steps = preferredSteps(axis.value);
        if (steps > largestPreferredValue || steps < -largestPreferredValue)
            throw ExcellonError(reader_.lineNumber(), std::string(text),
                                "values below 100 inches, as the prefered form holds 2.4 digits");
        if (reader_.format().units == Units::Inch &&
            Length::fromInchDecimals(steps, preferredDecimals) != axis.value)
            result_.rounded = true;
        return steps;
    }

    // NC2 to NC5 from the preferred lines; line 2 of NC5 states its own zero suppression.
    void derived(std::string_view text) {
        ++number_;
        if (number_ <= 2 || !isCoordinateLine(text)) {
            for (auto* out : {&outputs_->nc2, &outputs_->nc3, &outputs_->nc4})
                out->writeLine(text);
            outputs_->nc5.writeLine(number_ == 2 ? std::string_view("INCH,LZ") : text);
            return;
        }
        const size_t most = text.size();
        outputs_->nc2.writeLineWith(most, [&](char* out) { return writeFiveDigits(out, text); });
        outputs_->nc3.writeLineWith(most, [&](char* out) { return writeWithoutPlus(out, text); });
        outputs_->nc4.writeLineWith(most, [&](char* out) { return writeFiveDigitsWithoutPlus(out, text); });
        outputs_->nc5.writeLineWith(most, [&](char* out) { return writeTrailingSuppressed(out, text); });
    }

    const std::string& source_;
    Outputs* outputs_;
    ExcellonReader reader_;
    Translation result_;
    bool keepsHeader_ = false;
    bool headerStarted_ = false;
    long number_ = 0;
};

Translation readAll(const std::string& source, Zeros shown, Outputs* outputs) {
    Pass pass(source, shown, outputs);
    platform::LineReader reader(source);
    std::string_view line;
    while (reader.next(line)) {
        if (!pass.line(line))
            break;
    }
    return pass.finish();
}

} // namespace

Translation surveyDrillFile(const std::string& source) {
    return readAll(source, Zeros::Unstated, nullptr);
}

Translation translateDrillFile(const std::string& source, Outputs& outputs) {
    return readAll(source, Zeros::Unstated, &outputs);
}

Translation translateDrillFile(const std::string& source, const Translation& survey, Outputs& outputs) {
    return readAll(source, survey.zerosShown, &outputs);
}

} // namespace fk::drill
