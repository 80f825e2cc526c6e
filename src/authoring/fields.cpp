#include "authoring/fields.h"

namespace vexlor::authoring {

std::string& fieldOf(Question& question, QuestionField field) {
    switch (field) {
        case QuestionField::kText:
            return question.text;
        case QuestionField::kPoints:
            return question.points;
        case QuestionField::kMedia:
            return question.media;
        default:
            return question.answers[static_cast<std::size_t>(field) - 1];
    }
}

const std::string& fieldOf(const Question& question, QuestionField field) {
    return fieldOf(const_cast<Question&>(question), field);
}

std::string& fieldOf(Properties& properties, PropertyField field) {
    switch (field) {
        case PropertyField::kTitle:
            return properties.title;
        case PropertyField::kAuthor:
            return properties.author;
        case PropertyField::kCompany:
            return properties.company;
        default:
            return properties.year;
    }
}

const std::string& fieldOf(const Properties& properties, PropertyField field) {
    return fieldOf(const_cast<Properties&>(properties), field);
}

}  // namespace vexlor::authoring
